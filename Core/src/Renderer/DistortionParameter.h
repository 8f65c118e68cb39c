// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>

namespace Renderer
{

/// What the distortion renderer needs for one frame; written before every frame. The direction
/// of the correction is decided by which radial map the caller puts into a0 … a5.
struct DistortionParameter
{
    std::uint32_t currentWidth = 0; ///< pixels of the frame being rendered, input and output
    std::uint32_t currentHeight = 0;
    std::uint32_t originalWidth = 0; ///< pixels of the recording format; aspect ratio for frameSize
    std::uint32_t originalHeight = 0;
    bool renderMap = false; ///< produce the coordinate map instead of correcting an input image
    float imageRadius = 0.0f; ///< mm that correspond to half the frame's diagonal, for the kernel
    float inverseImageRadius
        = 0.0f; ///< the same radius on the other side of the map, for frameSize
    /// Coefficients, lowest order first, of the kernel's radial map: distance in the output frame
    /// (mm) to distance in the input frame (mm).
    float a0 = 0.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
    float a3 = 0.0f;
    float a4 = 0.0f;
    float a5 = 0.0f;
    /// Coefficients b0 … b5 of the reverse radial map, used by frameSize only.
    std::array<float, 6> inverseCoefficients {};
};

} // namespace Renderer
