// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Common/Failure.h"
#include "Core/FrameData.h"

namespace LensCorrect
{

/// Which record of the lens data a frame takes: its number in the clip, counted at a rate from
/// a start timecode when one is known (the fields the library's frame data carries).
struct LensDataKey
{
    uint32_t frameNumber = 0;
    /// The rate the number counts at; 0: the lens data's own (no conversion).
    float framesPerSecond = 0.0f;
    /// Timecode of frame number 0; empty: look the record up by number.
    std::string startTimecode;
};

/// The library's frame data for `key`: its number, rate and start timecode, the rest zero.
/// Throws Failure, naming the timecode, when it is longer than the library's field takes.
Core::FrameData libraryFrameData(const LensDataKey& key);

} // namespace LensCorrect
