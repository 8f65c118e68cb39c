// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/PlateIdentity.h"

#include <cmath>
#include <cstdlib>

#include "lenscorrect/ClipSettings.h"
#include "lenscorrect/Failure.h"

namespace LensCorrect
{

namespace
{

    std::string windowText(int width, int height, int x, int y)
    {
        return std::to_string(width) + "x" + std::to_string(height) + " px at " + std::to_string(x)
            + ", " + std::to_string(y);
    }

} // namespace

ClipName plateClipName(const Options& options, const InputClip& clip, const PlateMetadata& plate)
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

std::optional<Size> pictureWithoutOverscan(const Options& options, const OIIO::ImageSpec& spec)
{
    if (options.sizeWithoutOverscan)
    {
        return options.sizeWithoutOverscan;
    }
    const int left = spec.full_x - spec.x;
    const int top = spec.full_y - spec.y;
    const int right = (spec.x + spec.width) - (spec.full_x + spec.full_width);
    const int bottom = (spec.y + spec.height) - (spec.full_y + spec.full_height);
    // Only a data window around the whole display window is overscan.
    if (left < 0 || top < 0 || right < 0 || bottom < 0 || left + top + right + bottom == 0
        || spec.full_width <= 0 || spec.full_height <= 0)
    {
        return std::nullopt;
    }
    // The library finds the optical centre in the middle of the frame and checks the frame's
    // aspect ratio against the recording format's, to a pixel.
    const long long expectedHeight
        = std::llround(float(spec.width) / (float(spec.full_width) / float(spec.full_height)));
    if (std::abs(left - right) > 1 || std::abs(top - bottom) > 1
        || std::llabs(expectedHeight - spec.height) > 1)
    {
        throw Failure("The plate's overscan is not even around its picture.",
            "Data Window: " + windowText(spec.width, spec.height, spec.x, spec.y)
                + "\nDisplay Window: "
                + windowText(spec.full_width, spec.full_height, spec.full_x, spec.full_y)
                + "\nHint: the margins must be equal on opposite sides and keep the display "
                  "window's aspect ratio");
    }
    return Size { uint32_t(spec.full_width), uint32_t(spec.full_height) };
}

} // namespace LensCorrect
