// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>

#include "Common/FrameGeometry.h"
#include "Correction/FrameCorrector.h"
#include "Correction/LensDataKey.h"
#include "Image/RgbaImage.h"

namespace LensCorrect
{

/// What the corrections of one frame do at the picture's corner, read off the library's own
/// ST-map and gain map of the frame, so that the numbers are the ones a render applies.
struct CornerValues
{
    /// How far the distortion correction moves the picture's corner point, in the plate's
    /// pixels along the diagonal: positive outwards. None without a distortion correction.
    std::optional<double> displacement;
    /// The shading correction's multiplier at the corner pixel, in stops (its base-2
    /// logarithm): positive brightens. None without a shading correction, or where the
    /// multiplier is not positive.
    std::optional<double> shadingStops;
};

/// Renders the frame's ST-map and gain map through `corrector` (whose frame metadata the caller
/// has set for the frame, ClipLensData::apply) and measures them at the corner. Throws Failure
/// with the library's texts when it refuses the frame's lens data.
CornerValues measureCorner(FrameCorrector& corrector, const LensDataKey& frame, Size picture,
    bool shading, bool distortion);

/// Where an ST-map (FrameCorrector::stMap) of a picture of `picture` centred in the map's buffer
/// takes the picture's corner point: the distance it moves along the diagonal, positive
/// outwards. The correction is radial about the buffer's centre, so output and source radii
/// pair up along any ray; the map's samples lying wholly inside the plate are exact, and the
/// last of them on the diagonal (about a pixel short of the corner) are extrapolated to it.
/// None when the diagonal holds too few such samples.
std::optional<double> cornerDisplacement(const RgbaImage& stMap, Size picture);

} // namespace LensCorrect
