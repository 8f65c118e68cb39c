// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/ClipName.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Correction/CorrectorSettings.h"

namespace LensCorrect
{

std::string shownClipName(const ClipName& clipName, const std::string& clipFilePath)
{
    return clipName.name.empty() ? fileName(clipFilePath) : clipName.name;
}

ClipName plateClipName(
    const ClipDescription& options, const InputClip& clip, const PlateMetadata& plate)
{
    if (!options.clipName.empty())
    {
        return { options.clipName, "--clip-name", false };
    }
    ClipName found;
    const PlateFrameFacts* first = nullptr;
    for (const InputFrame& frame : clip.frames())
    {
        const PlateFrameFacts& facts = plate.frame(frame.number);
        if (facts.clipNameFailure)
        {
            throw *facts.clipNameFailure;
        }
        if (!facts.clipName)
        {
            continue;
        }
        checkClipName(*facts.clipName,
            "the " + facts.clipNameAttribute + " attribute of \"" + facts.path + "\"");
        if (!first)
        {
            first = &facts;
            found = { *facts.clipName, "the plate's " + facts.clipNameAttribute + " attribute",
                true };
        }
        else if (*facts.clipName != *first->clipName)
        {
            throw Failure("The plate's frames name different camera clips.",
                "Path: \"" + first->path + "\"\nClip Name: \"" + *first->clipName + "\"\nPath: \""
                    + facts.path + "\"\nClip Name: \"" + *facts.clipName
                    + "\"\nHint: correct one clip at a time, or settle it with --clip-name");
        }
    }
    return found;
}

void checkClipNameAgainstCorrectionFile(const ClipName& clipName,
    const std::string& correctionFilePath, const std::string& headerClipName,
    const std::string& headerVideoFileName)
{
    if (!clipName.fromPlate || clipName.name == headerClipName
        || clipName.name == headerVideoFileName)
    {
        return;
    }
    throw Failure("The plate's camera clip name differs from the correction file's.",
        "Clip Name: \"" + clipName.name + "\" (" + clipName.source + ")\nCorrection File: \""
            + correctionFilePath + "\"\nCorrection File Clip Name: \"" + headerClipName
            + "\"\nCorrection File Video File Name: \"" + headerVideoFileName
            + "\"\nHint: if this is the clip's correction file after all, say so with --clip-name");
}

} // namespace LensCorrect
