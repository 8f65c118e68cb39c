// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lenscorrect/Failure.h"

namespace LensCorrect
{

struct OpenTrackIoSample;

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

/// Where one plate frame finds its lens data, or why it cannot: a record of a correction file,
/// or an OpenTrackIO sample.
struct MappedFrame
{
    std::optional<LensDataKey> key;
    const OpenTrackIoSample* sample = nullptr;
    std::optional<Failure> failure;

    bool found() const { return key || sample; }
};

} // namespace LensCorrect
