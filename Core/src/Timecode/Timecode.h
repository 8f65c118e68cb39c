// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

namespace Timecode
{

/// Hours, minutes, seconds and frames at a frame rate; no drop-frame mode. Every second counts
/// the frame rate rounded up to a whole number of frames (24 for 23.976). A rate of 0 means
/// "no rate given".
class Timecode
{
public:
    /// Parses "HH:MM:SS:FF"; throws Timecode::InvalidTimecodeException.
    Timecode(const char* timecodeString, float framesPerSecond);

    /// "HH:MM:SS:FF", and "@rate" when withFrameRate is set.
    std::string string(bool withFrameRate) const;

    Timecode& operator+=(const uint32_t& frameCount);

    /// Throws Timecode::InvalidTimecodeException unless the rates are equal or exactly one is
    /// greater than 0.
    static void checkIfTimecodesAreComparableAndThrowIfNeeded(
        const Timecode& lhs, const Timecode& rhs);

    uint32_t hours = 0;
    uint32_t minutes = 0;
    uint32_t seconds = 0;
    uint32_t frames = 0;
    float framesPerSecond = 0.0f;
};

Timecode operator+(const Timecode& timecode, const uint32_t& frameCount);
/// Frames from rhs to lhs; throws Timecode::InvalidTimecodeException when not possible.
uint32_t operator-(const Timecode& lhs, const Timecode& rhs);
bool operator==(const Timecode& lhs, const Timecode& rhs);
bool operator<(const Timecode& lhs, const Timecode& rhs);

} // namespace Timecode
