// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Common/FrameGeometry.h"

namespace LensCorrect
{

/// How much memory a run's frames take at most, checked against what the process may have
/// before any work starts: a run that cannot fit is refused with the figures, rather than
/// killed halfway through the clip.
namespace FrameMemory
{

    /// The most this process can still allocate, and what sets it.
    struct Limit
    {
        uint64_t bytes = 0;
        std::string source;
    };

    /// The smallest of the system's available memory, the control group's room and the
    /// process's data and address space limits; nothing when none of them can be read.
    std::optional<Limit> available();

    /// Bytes a run needs for its frames: `framesInFlight` frames of `groups` float RGBA images
    /// of `frame`, one more image for the copy a stage makes, and the library's input and
    /// output of one render.
    uint64_t needed(Size frame, size_t groups, size_t framesInFlight);

    /// Throws Failure when `needed` bytes exceed `limit`.
    void check(
        uint64_t needed, const std::optional<Limit>& limit, Size frame, size_t framesInFlight);

} // namespace FrameMemory

} // namespace LensCorrect
