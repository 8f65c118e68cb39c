// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Common/Failure.h"
#include "Correction/LensDataKey.h"

namespace LensCorrect
{

struct OpenTrackIoSample;

/// A plate frame's own timecode as frames from 00:00:00:00 (in drop-frame where it is one) at a
/// whole-frame rate: the record a frame takes must not lie after it.
struct FrameLabel
{
    std::string text;
    uint64_t count = 0;
    uint32_t perSecond = 0;
};

/// Where one plate frame finds its lens data, or why it cannot: a record of a correction file,
/// or an OpenTrackIO sample.
struct MappedFrame
{
    std::optional<LensDataKey> key;
    const OpenTrackIoSample* sample = nullptr;
    std::optional<Failure> failure;
    /// Set when the frame was mapped by its own timecode.
    std::optional<FrameLabel> label;

    bool found() const { return key || sample; }
};

} // namespace LensCorrect
