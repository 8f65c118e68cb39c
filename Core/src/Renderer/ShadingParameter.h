// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

namespace Renderer
{

/// What the shading renderer needs for one frame; written before every frame.
struct ShadingParameter
{
    std::uint32_t currentWidth = 0; ///< pixels of the frame being rendered
    std::uint32_t currentHeight = 0;
    std::uint32_t originalWidth = 0; ///< pixels of the recording format; not used in the arithmetic
    std::uint32_t originalHeight = 0;
    bool renderMap = false; ///< produce the shading map instead of correcting an input image
    float imageRadius = 0.0f; ///< mm on the sensor that correspond to half the frame's diagonal
    /// Coefficients, lowest order first, of the shading in percent over the distance in mm.
    float a0 = 0.0f;
    float a1 = 0.0f;
    float a2 = 0.0f;
    float a3 = 0.0f;
    float a4 = 0.0f;
    float a5 = 0.0f;
    std::uint8_t reverse = 0; ///< 0: remove shading (divide by the factor); else add it (multiply)
    float gamma = 1.0f; ///< exponent that linearises the colour channels around the scaling
};

} // namespace Renderer
