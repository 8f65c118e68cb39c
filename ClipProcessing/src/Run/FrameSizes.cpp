// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/FrameSizes.h"

#include <set>

namespace LensCorrect
{

FrameSizes::FrameSizes(bool distortion, bool keepSize, Size picture, const ClipFrames& clip,
    const std::vector<Job>& jobs, ClipLensData& lensData, FrameCorrector& corrector)
    : canvas(picture)
{
    if (!distortion)
    {
        return;
    }
    std::set<int> wanted;
    for (const Job& job : jobs)
    {
        wanted.insert(job.frame.number);
    }
    for (const InputFrame& frame : clip.frames)
    {
        const MappedFrame& lens = clip.lens.at(frame.number);
        const bool isJob = wanted.count(frame.number) > 0;
        if (!lens.found() || (keepSize && !isJob))
        {
            continue;
        }
        try
        {
            // A frame beyond the clip has no lens data and no say in the size.
            lensData.record(lens);
            lensData.apply(corrector, lens);
            const Size size = corrector.renderSize(lens.key.value_or(LensDataKey {}));
            renderSizes.emplace(frame.number, size);
            canvas = FrameGeometry::renderSize(canvas, size);
        }
        catch (const Failure& failure)
        {
            if (isJob)
            {
                sizeFailures.emplace(frame.number, failure);
            }
        }
    }
    FrameGeometry::checkFrameSize(canvas, "enlarged output frame");
}

FrameSizes::FrameSizes(Size size)
    : canvas(size)
{
    FrameGeometry::checkFrameSize(canvas, "enlarged output frame");
}

Size FrameSizes::renderSize(const Job& job, ClipLensData& lensData, FrameCorrector& corrector) const
{
    lensData.apply(corrector, job.lens);
    const auto failure = sizeFailures.find(job.frame.number);
    if (failure != sizeFailures.end())
    {
        throw failure->second;
    }
    const auto known = renderSizes.find(job.frame.number);
    return known != renderSizes.end() ? known->second
                                      : corrector.renderSize(job.lens.key.value_or(LensDataKey {}));
}

} // namespace LensCorrect
