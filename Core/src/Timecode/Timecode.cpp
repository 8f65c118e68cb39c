// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Timecode/Timecode.h"

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>
#include <vector>

#include <boost/algorithm/string/split.hpp>

#include "Exception/ClassicNumberReader.h"
#include "Timecode/TimecodeExceptions.h"

namespace Timecode
{

namespace
{

    InvalidTimecodeException invalidTimecodeExceptionDueToInvalidFormat(
        const char* timecodeString, float framesPerSecond)
    {
        return InvalidTimecodeException(
            "Timecode object could not be constructed due to invalid format.", timecodeString,
            framesPerSecond);
    }

    InvalidTimecodeException invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(
        const Timecode& lhs, const Timecode& rhs)
    {
        return InvalidTimecodeException(
            "Timecode subtraction could not be performed.", lhs.string(true), rhs.string(true));
    }

    // The whole-frame rate: 24 for 23.976, 30 for 29.97. Only called with rates above 0; rates
    // beyond the unsigned range (infinity included) saturate instead of overflowing the conversion.
    uint32_t wholeFrameRate(float framesPerSecond)
    {
        const double rate = std::ceil(static_cast<double>(framesPerSecond));
        return rate >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(rate);
    }

    // Counts are taken in 64 bits: hour counts are not limited, and in 32 bits a timecode of a
    // few ten thousand hours would wrap round to an early one and compare or subtract wrongly.
    uint64_t secondsOf(const Timecode& timecode)
    {
        return uint64_t { timecode.hours } * 3600u + uint64_t { timecode.minutes } * 60u
            + timecode.seconds;
    }

    // The frame count of a timecode at a whole-frame rate, plus extra frames; false when it does
    // not fit 64 bits (absurd rates only).
    bool frameCountOf(
        const Timecode& timecode, uint32_t rate, uint32_t extraFrames, uint64_t& frameCount)
    {
        uint64_t count = 0;
        return !__builtin_mul_overflow(secondsOf(timecode), uint64_t { rate }, &count)
            && !__builtin_add_overflow(count, uint64_t { timecode.frames } + extraFrames, &count)
            && (frameCount = count, true);
    }

} // namespace

Timecode::Timecode(const char* timecodeString, float framesPerSecond)
    : framesPerSecond(framesPerSecond)
{
    std::vector<std::string> parts;
    const std::string text(timecodeString);
    boost::algorithm::split(parts, text, [](char c) { return c == ':'; });
    if (parts.size() != 4)
    {
        throw invalidTimecodeExceptionDueToInvalidFormat(timecodeString, framesPerSecond);
    }
    ClassicNumberReader numbers;
    if (!numbers.read(parts[0], hours) || !numbers.read(parts[1], minutes)
        || !numbers.read(parts[2], seconds) || !numbers.read(parts[3], frames))
    {
        throw invalidTimecodeExceptionDueToInvalidFormat(timecodeString, framesPerSecond);
    }
    // A NaN rate fails the frame test, as "rate > frames" is false for NaN.
    const bool framesValid
        = framesPerSecond == 0.0f || framesPerSecond > static_cast<float>(frames);
    if (minutes >= 60 || seconds >= 60 || !framesValid)
    {
        throw invalidTimecodeExceptionDueToInvalidFormat(timecodeString, framesPerSecond);
    }
}

std::string Timecode::string(bool withFrameRate) const
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << std::setfill('0') << std::setw(2) << hours << ':' << std::setw(2) << minutes << ':'
           << std::setw(2) << seconds << ':' << std::setw(2) << frames;
    if (withFrameRate)
    {
        stream << '@';
        if (std::isnan(framesPerSecond) || std::trunc(framesPerSecond) != framesPerSecond)
        {
            stream << std::fixed << std::setprecision(2) << framesPerSecond;
        }
        else
        {
            stream << framesPerSecond;
        }
    }
    return stream.str();
}

Timecode& Timecode::operator+=(const uint32_t& frameCount)
{
    // Without a positive rate there is no whole-frame divisor: leave the timecode as it is.
    if (!(framesPerSecond > 0.0f))
    {
        return *this;
    }
    const uint64_t rate = wholeFrameRate(framesPerSecond);
    uint64_t count = 0;
    if (!frameCountOf(*this, static_cast<uint32_t>(rate), frameCount, count)
        || count / (rate * 3600u) > UINT32_MAX)
    {
        throw InvalidTimecodeException(
            "Timecode addition could not be performed.", string(true), framesPerSecond);
    }
    hours = static_cast<uint32_t>(count / (rate * 3600u));
    uint64_t remainder = count % (rate * 3600u);
    minutes = static_cast<uint32_t>(remainder / (rate * 60u));
    remainder %= rate * 60u;
    seconds = static_cast<uint32_t>(remainder / rate);
    frames = static_cast<uint32_t>(remainder % rate);
    return *this;
}

void Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(
    const Timecode& lhs, const Timecode& rhs)
{
    const bool exactlyOnePositive = (lhs.framesPerSecond > 0.0f) != (rhs.framesPerSecond > 0.0f);
    if (lhs.framesPerSecond == rhs.framesPerSecond || exactlyOnePositive)
    {
        return;
    }
    throw InvalidTimecodeException(
        "Timecode comparison could not be performed.", lhs.string(true), rhs.string(true));
}

Timecode operator+(const Timecode& timecode, const uint32_t& frameCount)
{
    Timecode result = timecode;
    result += frameCount;
    return result;
}

uint32_t operator-(const Timecode& lhs, const Timecode& rhs)
{
    const bool ratesUsable = rhs.framesPerSecond > 0.0f
        && (lhs.framesPerSecond == rhs.framesPerSecond || lhs.framesPerSecond == 0.0f);
    if (!ratesUsable)
    {
        throw invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(lhs, rhs);
    }
    const uint32_t rate = wholeFrameRate(rhs.framesPerSecond);
    uint64_t lhsCount = 0;
    uint64_t rhsCount = 0;
    if (!frameCountOf(lhs, rate, 0, lhsCount) || !frameCountOf(rhs, rate, 0, rhsCount)
        || lhsCount < rhsCount || lhsCount - rhsCount > UINT32_MAX)
    {
        throw invalidTimecodeExceptionDueToInvalidTimecodesForSubstraction(lhs, rhs);
    }
    return static_cast<uint32_t>(lhsCount - rhsCount);
}

bool operator==(const Timecode& lhs, const Timecode& rhs)
{
    Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(lhs, rhs);
    return lhs.hours == rhs.hours && lhs.minutes == rhs.minutes && lhs.seconds == rhs.seconds
        && lhs.frames == rhs.frames;
}

bool operator<(const Timecode& lhs, const Timecode& rhs)
{
    Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(lhs, rhs);
    const uint64_t lhsSeconds = secondsOf(lhs);
    const uint64_t rhsSeconds = secondsOf(rhs);
    if (lhsSeconds != rhsSeconds)
    {
        return lhsSeconds < rhsSeconds;
    }
    return lhs.frames < rhs.frames;
}

} // namespace Timecode
