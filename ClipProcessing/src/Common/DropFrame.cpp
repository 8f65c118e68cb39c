// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Common/DropFrame.h"

#include <cmath>

namespace LensCorrect
{

namespace DropFrame
{

    std::optional<uint32_t> droppedPerMinute(uint32_t perSecond)
    {
        if (perSecond == 30 || perSecond == 60)
        {
            return perSecond / 15;
        }
        return std::nullopt;
    }

    uint32_t perSecond(float framesPerSecond)
    {
        return framesPerSecond > 0.0f && framesPerSecond < 1.0e6f
            ? uint32_t(std::ceil(framesPerSecond))
            : 0;
    }

    bool leftOut(const Timecode::Timecode& label, uint32_t perSecond)
    {
        const uint32_t dropped = droppedPerMinute(perSecond).value_or(0);
        return label.seconds == 0 && label.frames < dropped && label.minutes % 10 != 0;
    }

    uint64_t count(const Timecode::Timecode& label, uint32_t perSecond)
    {
        const uint64_t dropped = droppedPerMinute(perSecond).value_or(0);
        const uint64_t minutes = uint64_t(label.hours) * 60 + label.minutes;
        const uint64_t labels = (minutes * 60 + label.seconds) * perSecond + label.frames;
        return labels - dropped * (minutes - minutes / 10);
    }

    Timecode::Timecode label(uint64_t count, float framesPerSecond)
    {
        const uint64_t whole = perSecond(framesPerSecond);
        const uint64_t dropped = droppedPerMinute(uint32_t(whole)).value_or(0);
        // Ten minutes hold one full minute and nine that lack `dropped` labels.
        const uint64_t perMinute = 60 * whole - dropped;
        const uint64_t perTenMinutes = 10 * 60 * whole - 9 * dropped;
        const uint64_t tens = count / perTenMinutes;
        const uint64_t rest = count % perTenMinutes;
        uint64_t labels = count + 9 * dropped * tens;
        if (rest > dropped)
        {
            labels += dropped * ((rest - dropped) / perMinute);
        }
        Timecode::Timecode timecode("00:00:00:00", framesPerSecond);
        timecode.frames = uint32_t(labels % whole);
        timecode.seconds = uint32_t(labels / whole % 60);
        timecode.minutes = uint32_t(labels / (whole * 60) % 60);
        timecode.hours = uint32_t(labels / (whole * 3600));
        return timecode;
    }

} // namespace DropFrame

} // namespace LensCorrect
