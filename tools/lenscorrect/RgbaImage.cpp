// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/RgbaImage.h"

#include <cstring>

#include "lenscorrect/Failure.h"

namespace LensCorrect
{

RgbaImage placedCopy(const RgbaImage& image, Size size, Size offset)
{
    const bool grows = image.size.width <= size.width && image.size.height <= size.height;
    const Size inner = grows ? image.size : size;
    const Size outer = grows ? size : image.size;
    if (uint64_t(offset.width) + inner.width > outer.width
        || uint64_t(offset.height) + inner.height > outer.height)
    {
        throw Failure("A frame does not fit where it is to be placed.",
            "Frame: " + std::to_string(image.size.width) + "x" + std::to_string(image.size.height)
                + " px\nPlace: " + std::to_string(size.width) + "x" + std::to_string(size.height)
                + " px at " + std::to_string(offset.width) + "," + std::to_string(offset.height));
    }
    RgbaImage copy(size);
    for (uint32_t y = 0; y < inner.height; ++y)
    {
        const float* from
            = grows ? image.pixel(0, y) : image.pixel(offset.width, y + offset.height);
        float* to = grows ? copy.pixel(offset.width, y + offset.height) : copy.pixel(0, y);
        std::memcpy(to, from, size_t(inner.width) * 4 * sizeof(float));
    }
    return copy;
}

RgbaImage centredCopy(const RgbaImage& image, Size size)
{
    const bool grows = image.size.width <= size.width && image.size.height <= size.height;
    return placedCopy(image, size,
        grows ? FrameGeometry::centredOffset(image.size, size)
              : FrameGeometry::centredOffset(size, image.size));
}

} // namespace LensCorrect
