// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Common/Failure.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Timecode/Timecode.h"

namespace LensCorrect
{

/// The sample a plate frame takes, or why it has none.
struct FoundSample
{
    const OpenTrackIoSample* sample = nullptr;
    std::optional<Failure> failure;
};

/// Which sample each plate frame takes: the one at the frame's start, found by time from the
/// plate's rate and each sample's own, never by label alone. A tracker may run at a whole
/// multiple of the camera's rate, or mark several samples of one frame by sub-frame.
class OpenTrackIoTiming
{
public:
    /// `plateRate`: the plate's frames per second (0: the samples' own), `source`: where it
    /// comes from ("from --fps"). `shading`, `distortion`: the corrections a sample must serve.
    /// Throws Failure naming both rates where a sample rate is not a whole multiple of the
    /// plate's, since frames would then fall between samples.
    OpenTrackIoTiming(const OpenTrackIoSamples& samples, float plateRate, const std::string& source,
        bool shading, bool distortion);

    /// The sample of plate frame `number`, labelled `timecode` (its fields; the rate is the
    /// plate's) and drop-frame or not.
    FoundSample atLabel(int number, const Timecode::Timecode& timecode, bool dropFrame) const;
    /// The sample of plate frame `number`, clip frame `clipFrame`: that many plate frames after
    /// `startTimecode` when it is not empty, else after the first sample; the sample at that
    /// position in the file when the samples carry no timecodes. Throws Failure for a start
    /// timecode that cannot be read.
    FoundSample atClipFrame(int number, uint32_t clipFrame, const std::string& startTimecode) const;

    /// For the report: the rates, and which sample a frame takes where several fall on it.
    const std::string& description() const { return text; }

private:
    FoundSample found(int number, const OpenTrackIoSample* sample, const std::string& at) const;

    const OpenTrackIoSamples& samples;
    const OpenTrackIoSample* first = nullptr; ///< The first sample with a timecode.
    FrameRate plate;
    uint32_t samplesPerFrame = 1; ///< At the first sample's rate.
    bool shading;
    bool distortion;
    std::string text;
};

} // namespace LensCorrect
