// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/RgbaImage.h"

#include <cstdint>
#include <cstring>
#include <new>

#include <sys/mman.h>

#include "Common/Failure.h"

namespace LensCorrect
{

void* mapFrameMemory(size_t bytes)
{
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
    {
        throw std::bad_alloc();
    }
#if defined(MADV_HUGEPAGE)
    // Faulting in a 4K frame page by page costs more system time than filling it; advice only,
    // where the system leaves huge pages to the process.
    constexpr uintptr_t hugePage = uintptr_t(2) << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(memory) + hugePage - 1) & ~(hugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(memory) + bytes) & ~(hugePage - 1);
    if (end > begin)
    {
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
    return memory;
}

void unmapFrameMemory(void* memory, size_t bytes) { munmap(memory, bytes); }

RgbaImage placedCopy(const RgbaImage& image, Size size, Size offset)
{
    return placedCopy(image.pixels.data(), image.size, size, offset);
}

RgbaImage placedCopy(const float* image, Size imageSize, Size size, Size offset, RgbaImage into)
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
    RgbaImage copy = std::move(into);
    copy.size = size;
    copy.pixels.resize(size.pixels() * 4);
    for (uint32_t y = 0; y < inner.height; ++y)
    {
        const float* from = grows ? pixel(0, y) : pixel(offset.width, y + offset.height);
        float* to = grows ? copy.pixel(offset.width, y + offset.height) : copy.pixel(0, y);
        std::memcpy(to, from, size_t(inner.width) * 4 * sizeof(float));
    }
    if (grows)
    {
        zeroOutside(copy, inner, offset);
    }
    return copy;
}

void zeroOutside(RgbaImage& image, Size inside, Size offset)
{
    const Size size = image.size;
    const auto zero = [&](uint32_t x, uint32_t y, size_t pixels)
    {
        if (pixels)
        {
            std::memset(image.pixel(x, y), 0, pixels * 4 * sizeof(float));
        }
    };
    // The rows above and below whole, then each row's sides.
    zero(0, 0, size_t(offset.height) * size.width);
    const uint32_t below = offset.height + inside.height;
    zero(0, below, size_t(size.height - below) * size.width);
    const uint32_t right = offset.width + inside.width;
    for (uint32_t y = offset.height; y < below; ++y)
    {
        zero(0, y, offset.width);
        zero(right, y, size.width - right);
    }
}

bool centreInPlace(RgbaImage& image, Size size)
{
    const Size from = image.size;
    if (from.width > size.width || from.height > size.height
        || image.pixels.capacity() < size.pixels() * 4)
    {
        return false;
    }
    const Size offset = FrameGeometry::centredOffset(from, size);
    image.pixels.resize(size.pixels() * 4);
    image.size = size;
    // Last row first: a row's new place lies at or after its old one and after every earlier
    // row's old place, so no row is overwritten before it has moved.
    float* const pixels = image.pixels.data();
    for (uint32_t y = from.height; y-- > 0;)
    {
        std::memmove(image.pixel(offset.width, y + offset.height),
            pixels + size_t(y) * from.width * 4, size_t(from.width) * 4 * sizeof(float));
    }
    zeroOutside(image, from, offset);
    return true;
}

RgbaImage centredCopy(const RgbaImage& image, Size size)
{
    return centredCopy(image.pixels.data(), image.size, size);
}

RgbaImage centredCopy(const float* image, Size imageSize, Size size, RgbaImage into)
{
    const bool grows = imageSize.width <= size.width && imageSize.height <= size.height;
    return placedCopy(image, imageSize, size,
        grows ? FrameGeometry::centredOffset(imageSize, size)
              : FrameGeometry::centredOffset(size, imageSize),
        std::move(into));
}

} // namespace LensCorrect
