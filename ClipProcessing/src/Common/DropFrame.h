// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>

#include "Timecode/Timecode.h"

namespace LensCorrect
{

/// Drop-frame timecode of 29.97 and 59.94 fps: labels count on at 30 (60) a second, but the
/// first 2 (4) labels of every minute are left out, except in every tenth minute, so that the
/// labels keep pace with the clock. The library's timecode counts every label; these count as
/// the camera did.
namespace DropFrame
{

    /// The labels left out each minute at a whole-frame rate (30: 2, 60: 4); none where
    /// drop-frame counting does not exist.
    std::optional<uint32_t> droppedPerMinute(uint32_t perSecond);
    /// The whole-frame rate of a rate (30 for 29.97), as the library's timecode counts it.
    uint32_t perSecond(float framesPerSecond);

    /// Whether drop-frame counting leaves this label out (HH:MM:00:00 and :01 at 30 fps in a
    /// minute not divisible by 10).
    bool leftOut(const Timecode::Timecode& label, uint32_t perSecond);
    /// The frames from 00:00:00:00 to the label, counted in drop-frame. `perSecond` must have
    /// drop-frame counting.
    uint64_t count(const Timecode::Timecode& label, uint32_t perSecond);
    /// The label of the frame `count` frames after 00:00:00:00, at `framesPerSecond`, whose
    /// whole-frame rate must have drop-frame counting.
    Timecode::Timecode label(uint64_t count, float framesPerSecond);

} // namespace DropFrame

} // namespace LensCorrect
