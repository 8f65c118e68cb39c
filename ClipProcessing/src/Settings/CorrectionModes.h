// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>

namespace LensCorrect
{

enum class ShadingMode
{
    remove,
    add,
};

enum class DistortionMode
{
    undistort,
    distort,
};

/// The corrections asked for; none of a kind: that correction is not performed.
struct Corrections
{
    std::optional<ShadingMode> shading;
    std::optional<DistortionMode> distortion;
    bool keepSize = false; ///< Distortion keeps the picture's size instead of enlarging it.
};

} // namespace LensCorrect
