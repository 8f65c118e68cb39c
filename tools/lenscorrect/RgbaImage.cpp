// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/RgbaImage.h"

#include <cstring>

#include "lenscorrect/Failure.h"

namespace LensCorrect
{

RgbaImage placedCopy(const RgbaImage& image, Size size, Size offset)
{
    return placedCopy(image.pixels.data(), image.size, size, offset);
}

RgbaImage placedCopy(const float* image, Size imageSize, Size size, Size offset)
{
    const bool grows = imageSize.width <= size.width && imageSize.height <= size.height;
    const Size inner = grows ? imageSize : size;
    const Size outer = grows ? size : imageSize;
    if (uint64_t(offset.width) + inner.width > outer.width
        || uint64_t(offset.height) + inner.height > outer.height)
    {
        throw Failure("A frame does not fit where it is to be placed.",
            "Frame: " + std::to_string(imageSize.width) + "x" + std::to_string(imageSize.height)
                + " px\nPlace: " + std::to_string(size.width) + "x" + std::to_string(size.height)
                + " px at " + std::to_string(offset.width) + "," + std::to_string(offset.height));
    }
    const auto pixel = [imageSize, image](uint32_t x, uint32_t y)
    { return image + (size_t(y) * imageSize.width + x) * 4; };
    RgbaImage copy(size);
    for (uint32_t y = 0; y < inner.height; ++y)
    {
        const float* from = grows ? pixel(0, y) : pixel(offset.width, y + offset.height);
        float* to = grows ? copy.pixel(offset.width, y + offset.height) : copy.pixel(0, y);
        std::memcpy(to, from, size_t(inner.width) * 4 * sizeof(float));
    }
    return copy;
}

RgbaImage centredCopy(const RgbaImage& image, Size size)
{
    return centredCopy(image.pixels.data(), image.size, size);
}

RgbaImage centredCopy(const float* image, Size imageSize, Size size)
{
    const bool grows = imageSize.width <= size.width && imageSize.height <= size.height;
    return placedCopy(image, imageSize, size,
        grows ? FrameGeometry::centredOffset(imageSize, size)
              : FrameGeometry::centredOffset(size, imageSize));
}

} // namespace LensCorrect
