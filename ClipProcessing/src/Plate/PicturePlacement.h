// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <OpenImageIO/imageio.h>

#include "Common/FrameGeometry.h"
#include "Settings/RecordingSettings.h"

namespace LensCorrect
{

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
