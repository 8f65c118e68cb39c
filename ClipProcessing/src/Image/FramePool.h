// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

#include "Image/RgbaImage.h"

namespace LensCorrect
{

/// Frame buffers that a run hands on from frame to frame, so that each frame reuses the memory
/// (and the mapped pages) of one before it instead of faulting in fresh memory. Any thread may
/// take and give back; a buffer given back is handed to one taker only. It keeps at most `kept`
/// free buffers (the run's frames in flight times their buffers); more are freed. A buffer that
/// never comes back is simply freed with its image.
class FramePool
{
public:
    /// `frame`: the largest frame of the run. Every buffer holds at least one of it, so that any
    /// free buffer serves any stage (the plate, the enlarged frame) and none is kept idle for
    /// want of room.
    explicit FramePool(size_t kept, Size frame = {});
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    /// An image of `size` whose pixels are undefined: the smallest free buffer that holds it, else
    /// a new one.
    RgbaImage take(Size size);
    /// Floats for the caller's own layout, as take().
    RgbaImage::Pixels takeFloats(size_t count);
    void give(RgbaImage&& image) { give(std::move(image.pixels)); }
    void give(RgbaImage::Pixels&& pixels);

    /// Free buffers held now.
    size_t freeBuffers() const;

private:
    const size_t kept;
    const size_t frameFloats;
    mutable std::mutex mutex;
    std::vector<RgbaImage::Pixels> free;
};

} // namespace LensCorrect
