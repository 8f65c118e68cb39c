// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <vector>

#include "lenscorrect/FrameGeometry.h"

namespace LensCorrect
{

/// A frame as the library takes it: interleaved red, green, blue, alpha floats, rows without
/// gaps.
struct RgbaImage
{
    RgbaImage() = default;
    /// All zeros.
    explicit RgbaImage(Size size)
        : size(size)
        , pixels(size.pixels() * 4)
    {
    }

    float* pixel(uint32_t x, uint32_t y) { return &pixels[(size_t(y) * size.width + x) * 4]; }
    const float* pixel(uint32_t x, uint32_t y) const
    {
        return &pixels[(size_t(y) * size.width + x) * 4];
    }
    size_t bytes() const { return pixels.size() * sizeof(float); }

    Size size;
    std::vector<float> pixels;
};

/// An image of `size` holding `image` centred in zeros, or the middle of `image` when `size` is
/// smaller in both directions. Throws Failure when it is neither.
RgbaImage centredCopy(const RgbaImage& image, Size size);

} // namespace LensCorrect
