// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Frame rates as exact fractions, and the moments at which timecode labels start.
#include <cmath>
#include <numeric>

#include "LensData/OpenTrackIoFields.h"
#include "LensData/OpenTrackIoSamples.h"

namespace LensCorrect
{

using namespace OpenTrackIo;

namespace
{

    /// Rates closer than this to a whole or an NTSC rate are that rate (23.976 is 24000/1001).
    constexpr double rateTolerance = 0.01;
    /// Beyond this no camera or tracker runs; it bounds the arithmetic of moments.
    constexpr double fastestRate = 10000.0;

} // namespace

std::optional<FrameRate> FrameRate::of(double framesPerSecond)
{
    if (!(framesPerSecond > 0.0 && framesPerSecond <= fastestRate))
    {
        return std::nullopt;
    }
    const double whole = std::round(framesPerSecond);
    if (whole >= 1.0 && std::abs(framesPerSecond - whole) <= rateTolerance)
    {
        return FrameRate { uint32_t(whole), 1 };
    }
    const double ntsc = std::round(framesPerSecond * 1.001);
    if (ntsc >= 1.0 && std::abs(framesPerSecond - ntsc / 1.001) <= rateTolerance)
    {
        return FrameRate { uint32_t(ntsc) * 1000, 1001 };
    }
    const uint32_t thousandths = uint32_t(std::round(framesPerSecond * 1000.0));
    if (thousandths == 0)
    {
        return std::nullopt;
    }
    const uint32_t divisor = std::gcd(thousandths, 1000u);
    return FrameRate { thousandths / divisor, 1000 / divisor };
}

std::string FrameRate::text() const { return decimal(double(numerator) / double(denominator), 3); }

uint32_t FrameRate::labelsPerSecond() const { return (numerator + denominator - 1) / denominator; }

std::optional<uint64_t> labelCount(
    const Timecode::Timecode& timecode, FrameRate rate, bool dropFrame)
{
    const uint64_t perSecond = rate.labelsPerSecond();
    // Beyond a million hours the products of momentAt could wrap.
    if (perSecond == 0 || timecode.frames >= perSecond || timecode.minutes >= 60
        || timecode.seconds >= 60 || timecode.hours >= 1000000)
    {
        return std::nullopt;
    }
    const uint64_t minutes = uint64_t(timecode.hours) * 60 + timecode.minutes;
    const uint64_t count = (minutes * 60 + timecode.seconds) * perSecond + timecode.frames;
    // Drop-frame exists at 29.97 and 59.94: the first 2 (4) labels of every minute but each
    // tenth are skipped.
    if (!dropFrame || rate.denominator != 1001 || (perSecond != 30 && perSecond != 60))
    {
        return count;
    }
    const uint64_t dropped = perSecond / 15;
    if (timecode.seconds == 0 && timecode.frames < dropped && timecode.minutes % 10 != 0)
    {
        return std::nullopt;
    }
    return count - dropped * (minutes - minutes / 10);
}

Moment momentAt(uint64_t count, FrameRate rate)
{
    const uint64_t numerator = count * rate.denominator;
    const uint64_t divisor = std::gcd(numerator, uint64_t(rate.numerator));
    return { numerator / divisor, rate.numerator / divisor };
}

std::optional<Moment> momentOf(const Timecode::Timecode& timecode, FrameRate rate, bool dropFrame)
{
    const std::optional<uint64_t> count = labelCount(timecode, rate, dropFrame);
    return count ? std::optional<Moment>(momentAt(*count, rate)) : std::nullopt;
}

} // namespace LensCorrect
