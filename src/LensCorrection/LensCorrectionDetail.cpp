// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/LensCorrectionDetail.h"

#include <cmath>
#include <limits>

namespace LensCorrectionDetail
{

namespace
{

    template <typename Integer> Integer truncated(double value)
    {
        if (std::isnan(value))
        {
            return 0;
        }
        const double truncatedValue = std::trunc(value);
        if (truncatedValue <= double(std::numeric_limits<Integer>::min()))
        {
            return std::numeric_limits<Integer>::min();
        }
        if (truncatedValue >= double(std::numeric_limits<Integer>::max()))
        {
            return std::numeric_limits<Integer>::max();
        }
        return static_cast<Integer>(truncatedValue);
    }

    bool usable(PF_RationalScale scale) { return scale.num > 0 && scale.den > 0; }

    /// `size` x `multiplier` / `divisor` in 64 bits (no product of 32-bit values overflows it),
    /// clamped to 32.
    uint32_t scaled(A_long size, uint64_t multiplier, uint64_t divisor)
    {
        if (size <= 0)
        {
            return 0;
        }
        const uint64_t result = uint64_t(size) * multiplier / divisor;
        return result > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                             : uint32_t(result);
    }

} // namespace

uint32_t truncatedUnsigned(double value) { return truncated<uint32_t>(value); }

A_long truncatedLong(double value) { return truncated<A_long>(value); }

uint32_t downsampledSize(A_long size, PF_RationalScale scale)
{
    return usable(scale) ? scaled(size, uint64_t(scale.num), scale.den) : scaled(size, 1, 1);
}

uint32_t fullResolutionSize(A_long size, PF_RationalScale scale)
{
    return usable(scale) ? scaled(size, scale.den, uint64_t(scale.num)) : scaled(size, 1, 1);
}

uint32_t frameNumber(A_long currentTime, A_long timeStep)
{
    if (timeStep == 0)
    {
        return 0;
    }
    // In 64 bits: the minimum time divided by -1 does not fit 32.
    return static_cast<uint32_t>(int64_t(currentTime) / int64_t(timeStep));
}

float framesPerSecond(A_u_long timeScale, A_long timeStep)
{
    if (timeStep == 0)
    {
        return 0.0f;
    }
    return float(timeScale) / float(timeStep);
}

uint32_t proportionalSide(uint32_t value, uint32_t side, uint32_t otherSide)
{
    return truncatedUnsigned(std::roundf(float(value) * (float(otherSide) / float(side))));
}

} // namespace LensCorrectionDetail
