// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/FramePool.h"

#include <algorithm>

namespace LensCorrect
{

FramePool::FramePool(size_t kept, Size frame)
    : kept(kept)
    , frameFloats(frame.pixels() * 4)
{
}

RgbaImage FramePool::take(Size size)
{
    RgbaImage image;
    image.size = size;
    image.pixels = takeFloats(size.pixels() * 4);
    return image;
}

RgbaImage::Pixels FramePool::takeFloats(size_t count)
{
    RgbaImage::Pixels pixels;
    {
        std::lock_guard<std::mutex> lock(mutex);
        // The smallest that holds it, so that a large buffer stays for a large frame.
        auto best = free.end();
        for (auto buffer = free.begin(); buffer != free.end(); ++buffer)
        {
            if (buffer->capacity() >= count
                && (best == free.end() || buffer->capacity() < best->capacity()))
            {
                best = buffer;
            }
        }
        if (best != free.end())
        {
            pixels = std::move(*best);
            free.erase(best);
        }
    }
    const bool fresh = pixels.capacity() < count;
    if (fresh)
    {
        // Not grown in place: that would copy the old contents first.
        pixels = RgbaImage::Pixels();
        pixels.reserve(std::max(count, frameFloats));
    }
    pixels.resize(count);
    return pixels;
}

void FramePool::give(RgbaImage::Pixels&& pixels)
{
    if (pixels.capacity() == 0)
    {
        return;
    }
    RgbaImage::Pixels dropped;
    std::lock_guard<std::mutex> lock(mutex);
    free.push_back(std::move(pixels));
    if (free.size() > kept)
    {
        // The smallest goes: a clip's frames rarely shrink.
        const auto smallest = std::min_element(free.begin(), free.end(),
            [](const RgbaImage::Pixels& a, const RgbaImage::Pixels& b)
            { return a.capacity() < b.capacity(); });
        dropped = std::move(*smallest);
        free.erase(smallest);
    }
}

size_t FramePool::freeBuffers() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return free.size();
}

} // namespace LensCorrect
