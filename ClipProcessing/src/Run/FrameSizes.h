// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <optional>
#include <vector>

#include "Common/Failure.h"
#include "Correction/FrameCorrector.h"
#include "LensData/ClipLensData.h"
#include "Run/JobPlan.h"

namespace LensCorrect
{

/// The size of every output frame, and each frame's render buffer. Without --keep-size every
/// output frame gets the largest size of the whole clip, so that a sequence has one size and the
/// chunks of a split run agree.
class FrameSizes
{
public:
    /// Asks the library for the render size of every frame of the clip (with --keep-size, of the
    /// run's frames). Throws Failure when the canvas would be too large.
    FrameSizes(bool distortion, bool keepSize, Size picture, const ClipFrames& clip,
        const std::vector<Job>& jobs, ClipLensData& lensData, FrameCorrector& corrector);
    /// A canvas whose size was worked out before (a plan's); the library is asked for a job's
    /// render size when it is needed. Throws Failure when the canvas would be too large.
    explicit FrameSizes(Size size);

    Size size() const { return canvas; }
    /// A job's render buffer (its lens data applied to the corrector); throws the failure its size
    /// query met.
    Size renderSize(const Job& job, ClipLensData& lensData, FrameCorrector& corrector) const;

private:
    Size canvas;
    std::map<int, Size> renderSizes;
    std::map<int, Failure> sizeFailures;
};

} // namespace LensCorrect
