// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

namespace Core
{

/// The frame being processed, as the caller's data source describes it.
struct FrameData
{
    /// Number of the frame within the clip, 0 being the first, counted at framesPerSecond.
    uint32_t frameNumber;
    /// The clip's frame rate as the caller plays it; 0 means unknown (no rate conversion).
    float framesPerSecond;
    /// Timecode of the clip's first frame ("HH:MM:SS:FF"), NUL-terminated. Empty means unknown:
    /// correction data is then looked up by frame number instead of by timecode.
    char startTimecode[16];
    /// Size in pixels of the buffers that Core::render receives.
    uint32_t width;
    uint32_t height;
    /// Percent by which the frame's image extends beyond the recorded image; 0 means none.
    float overscan;
};

} // namespace Core
