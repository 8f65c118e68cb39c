// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/RgbaImage.h"

#include <cstring>

namespace LensCorrect
{

RgbaImage centredCopy(const RgbaImage& image, Size size)
{
    RgbaImage copy(size);
    const bool grows = image.size.width <= size.width && image.size.height <= size.height;
    const Size inner = grows ? image.size : size;
    const Size offset = grows ? FrameGeometry::centredOffset(image.size, size)
                              : FrameGeometry::centredOffset(size, image.size);
    for (uint32_t y = 0; y < inner.height; ++y)
    {
        const float* from
            = grows ? image.pixel(0, y) : image.pixel(offset.width, y + offset.height);
        float* to = grows ? copy.pixel(offset.width, y + offset.height) : copy.pixel(0, y);
        std::memcpy(to, from, size_t(inner.width) * 4 * sizeof(float));
    }
    return copy;
}

} // namespace LensCorrect
