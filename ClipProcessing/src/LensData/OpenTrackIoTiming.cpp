// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/OpenTrackIoTiming.h"

namespace LensCorrect
{

OpenTrackIoTiming::OpenTrackIoTiming(const OpenTrackIoSamples& samples, float plateRate,
    const std::string& source, bool shading, bool distortion)
    : samples(samples)
    , shading(shading)
    , distortion(distortion)
{
    for (const OpenTrackIoSample& sample : samples.samples())
    {
        if (sample.timecode)
        {
            first = &sample;
            break;
        }
    }
    if (!first)
    {
        text = "the samples carry no timecodes: one per frame in the file's order";
        return;
    }
    const FrameRate own = first->timecode->rate;
    const std::optional<FrameRate> given = FrameRate::of(plateRate);
    plate = given.value_or(own);
    for (const OpenTrackIoSample& sample : samples.samples())
    {
        if (!sample.timecode)
        {
            continue;
        }
        // The samples' rate over the plate's must be whole: then every frame starts on one.
        const FrameRate rate = sample.timecode->rate;
        const uint64_t over = uint64_t(rate.numerator) * plate.denominator;
        const uint64_t under = uint64_t(rate.denominator) * plate.numerator;
        if (over < under || over % under != 0)
        {
            throw Failure("The plate at " + plate.text()
                    + " fps cannot be matched to OpenTrackIO samples at " + rate.text()
                    + " fps: the samples' rate is not a whole multiple of the plate's.",
                "Plate Rate: " + plate.text() + " fps " + source + "\nSample Rate: " + rate.text()
                    + " fps (" + std::to_string(sample.timecode->rateNumerator) + "/"
                    + std::to_string(sample.timecode->rateDenominator) + ") at " + sample.where
                    + "\nSamples File: \"" + samples.path()
                    + "\"\nHint: give the plate's own rate with --fps");
        }
        if (&sample == first)
        {
            samplesPerFrame = uint32_t(over / under);
        }
    }
    text = given ? "plate " + plate.text() + " fps " + source + ", samples " + own.text() + " fps"
                 : "plate and samples " + own.text() + " fps, the samples' rate";
    if (samplesPerFrame > 1)
    {
        text += ": each frame takes the sample at its start, 1 of every "
            + std::to_string(samplesPerFrame);
    }
    if (samples.hasSubFrames())
    {
        text += std::string(samplesPerFrame > 1 ? "; " : ": ")
            + "samples with sub-frames, each frame takes the one at its start (sub-frame 0)";
    }
}

FoundSample OpenTrackIoTiming::found(
    int number, const OpenTrackIoSample* sample, const std::string& at) const
{
    if (!sample)
    {
        return { nullptr,
            Failure("There is no OpenTrackIO sample for the frame.",
                "Frame: " + std::to_string(number) + "\n" + at + "\nSamples File: \""
                    + samples.path() + "\"") };
    }
    std::optional<Failure> problem = OpenTrackIoSamples::unusable(*sample, shading, distortion);
    if (problem)
    {
        return { nullptr, std::move(problem) };
    }
    return { sample, std::nullopt };
}

FoundSample OpenTrackIoTiming::atLabel(
    int number, const Timecode::Timecode& timecode, bool dropFrame) const
{
    const std::string at = "Timecode: " + timecode.string(false) + " at " + plate.text() + " fps"
        + (dropFrame ? " drop-frame" : "");
    if (!first)
    {
        return found(number, nullptr, at + "\nReason: the samples carry no timecodes");
    }
    if (dropFrame != first->timecode->dropFrame)
    {
        return { nullptr,
            Failure(dropFrame
                    ? "The frame's timecode is drop-frame, the OpenTrackIO samples' is not."
                    : "The frame's timecode is not drop-frame, the OpenTrackIO "
                      "samples' is.",
                "Frame: " + std::to_string(number) + "\n" + at
                    + "\nSample: " + first->timecode->timecode.string(false)
                    + (first->timecode->dropFrame ? " drop-frame" : "") + " at " + first->where
                    + "\nSamples File: \"" + samples.path() + "\"") };
    }
    const std::optional<Moment> moment = momentOf(timecode, plate, dropFrame);
    if (!moment)
    {
        return { nullptr,
            Failure("The frame's timecode is not one its rate counts.",
                "Frame: " + std::to_string(number) + "\n" + at
                    + "\nHint: give the plate's rate with --fps") };
    }
    return found(number, samples.atMoment(*moment), at);
}

FoundSample OpenTrackIoTiming::atClipFrame(
    int number, uint32_t clipFrame, const std::string& startTimecode) const
{
    const std::string at = "Clip Frame: " + std::to_string(clipFrame);
    if (!first)
    {
        return found(number, samples.atPosition(clipFrame), at);
    }
    const bool dropFrame = first->timecode->dropFrame;
    if (startTimecode.empty())
    {
        // Counted on from the first sample at the samples' own rate.
        const FrameRate rate = first->timecode->rate;
        const uint64_t start = *labelCount(first->timecode->timecode, rate, dropFrame);
        return found(number,
            samples.atMoment(momentAt(start + uint64_t(clipFrame) * samplesPerFrame, rate)),
            at + " after the first sample at " + first->where);
    }
    std::optional<uint64_t> start;
    try
    {
        start = labelCount(Timecode::Timecode(startTimecode.c_str(), 0.0f), plate, dropFrame);
    }
    catch (const std::exception&)
    {
    }
    if (!start)
    {
        throw Failure("The start timecode cannot be read at the plate's rate.",
            "Start Timecode: \"" + startTimecode + "\"\nFrame Rate: " + plate.text() + " fps"
                + (dropFrame ? " drop-frame" : ""));
    }
    return found(number, samples.atMoment(momentAt(*start + clipFrame, plate)),
        at + " after --start-timecode " + startTimecode + " at " + plate.text() + " fps");
}

} // namespace LensCorrect
