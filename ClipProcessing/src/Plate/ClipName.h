// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Plate/InputClip.h"
#include "Plate/PlateMetadata.h"
#include "Settings/ClipDescription.h"

namespace LensCorrect
{

/// The camera clip a plate belongs to, and where that was learnt.
struct ClipName
{
    std::string name; ///< Empty: none given or found (the clip file's own name is used).
    std::string source; ///< For the report: "--clip-name", or the plate file and attribute.
    bool fromPlate = false;
};

/// --clip-name when given, else the name every frame of the plate carries. Throws Failure
/// when a frame's attribute is empty or not text, or two frames name different clips.
ClipName plateClipName(
    const ClipDescription& options, const InputClip& clip, const PlateMetadata& plate);

/// The clip's name as the user is told it: the one given or found, else the clip file's own.
std::string shownClipName(const ClipName& clipName, const std::string& clipFilePath);

/// Refuses a clip name read from the plate that the named correction file does not carry, naming
/// both files; --clip-name settles it.
void checkClipNameAgainstCorrectionFile(const ClipName& clipName,
    const std::string& correctionFilePath, const std::string& headerClipName,
    const std::string& headerVideoFileName);

} // namespace LensCorrect
