// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

#include <OpenImageIO/imageio.h>

#include "Correction/RecordingSettings.h"
#include "Image/FrameGeometry.h"
#include "Plate/ClipDescription.h"
#include "Plate/InputClip.h"
#include "Plate/PlateMetadata.h"

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

/// Where a frame's pixels lie in its picture. A data window that lies inside the display window
/// (a crop, a render's bounding box) keeps its place in the display window, which is the
/// picture. A data window that reaches beyond the display window on every side is an overscan
/// plate: the data window is the picture, and the picture without overscan is
/// --size-without-overscan when given, else the display window. Throws Failure when the data
/// window lies partly outside the display window, or its overscan margins are not even around
/// the display window or do not keep its aspect ratio, which the library's checks could not
/// take. With an extraction the display window's place is stated: the margins must be equal on
/// opposite sides, of any aspect ratio.
PicturePlace picturePlace(const RecordingSettings& options, const OIIO::ImageSpec& spec);

} // namespace LensCorrect
