// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Mapping/FrameMapping.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Common/DropFrame.h"
#include "Timecode/Timecode.h"

namespace LensCorrect
{

namespace
{

    std::string rateText(float rate)
    {
        char text[32];
        std::snprintf(text, sizeof(text), rate == std::floor(rate) ? "%.0f" : "%.3f", rate);
        return text;
    }

    /// Frames counted from 00:00:00:00 at the timecode's whole-frame rate, for ordering.
    uint64_t frameCount(const Timecode::Timecode& timecode, float rate)
    {
        const uint64_t perSecond = uint64_t(std::ceil(rate > 0.0f ? rate : 1000.0f));
        return ((uint64_t(timecode.hours) * 3600 + timecode.minutes * 60 + timecode.seconds)
                   * perSecond)
            + timecode.frames;
    }

    Failure timecodeFailure(const PlateFrameFacts& facts, const std::string& brief,
        const std::string& more = std::string())
    {
        return Failure(brief,
            "Path: \"" + facts.path + "\"\nAttribute: \"" + facts.timecodeAttribute
                + "\"\nTimecode: \"" + facts.timecode.value_or("") + "\"" + more);
    }

} // namespace

FrameMapping::FrameMapping(const RunSettings& options, const InputClip& clip,
    const PlateMetadata& plate, ClipLensData& lensData)
    : samples(lensData.samples())
{
    if (samples)
    {
        for (const OpenTrackIoSample& sample : samples->samples())
        {
            if (sample.timecode)
            {
                lensRate = float(sample.timecode->rateNumerator)
                    / float(std::max(sample.timecode->rateDenominator, 1u));
                lensDropFrame = sample.timecode->dropFrame;
                break;
            }
        }
        const bool byOption = options.framesPerSecond > 0.0f;
        timing.emplace(*samples,
            byOption ? options.framesPerSecond
                     : plate.frame(clip.frames().front().number).framesPerSecond,
            byOption ? "from --fps" : "from the files", bool(options.shading),
            bool(options.distortion));
    }
    else
    {
        const CorrectionData::Header header = lensData.header();
        lensRate = header.tcFps;
        lensDropFrame = header.tcDrop;
        if (header.clipDurationFrames == 0)
        {
            notes.push_back("the lens data gives no clip length: its last record applies to every "
                            "later frame");
        }
    }
    lensPath = lensData.path();
    if (options.firstFrame || !options.startTimecode.empty())
    {
        decidedBy = MappingRule::option;
        mapByOptions(options, clip, lensData);
        text = "frame " + std::to_string(clip.frames().front().number) + " is clip frame "
            + std::to_string(clip.frames().front().number
                - options.firstFrame.value_or(clip.frames().front().number))
            + (options.firstFrame ? " by --first-frame" : " by sequence order")
            + (options.startTimecode.empty()
                    ? std::string()
                    : ", clip frame 0 at --start-timecode " + options.startTimecode)
            + (timing ? "; " + timing->description() : "");
    }
    else if (plate.hasTimecode())
    {
        // Records without timecodes cannot be found by one: say so once, not for every frame.
        const std::optional<CorrectionData::Frame> first
            = samples ? std::nullopt : lensData.firstRecord();
        if (first && first->timecode.empty())
        {
            throw Failure("The plate's frames carry timecodes, the lens data's records do not.",
                "Correction File: \"" + lensData.path()
                    + "\"\nHint: give --first-frame with the plate frame that is the clip's frame "
                      "0, or --start-timecode");
        }
        decidedBy = MappingRule::timecode;
        mapByTimecode(options, clip, plate, lensData);
    }
    else
    {
        mapByOptions(options, clip, lensData);
        text = "frame " + std::to_string(clip.frames().front().number)
            + " is clip frame 0 by sequence order; the plate carries no timecode; give "
              "--start-timecode or --first-frame if it is a section of the clip"
            + (timing ? "; " + timing->description() : "");
    }
}

void FrameMapping::mapByOptions(
    const RunSettings& options, const InputClip& clip, ClipLensData& lensData)
{
    const int firstFrame = options.firstFrame.value_or(clip.frames().front().number);
    for (const InputFrame& frame : clip.frames())
    {
        MappedFrame& mapped = frames[frame.number];
        const int64_t clipFrame = int64_t(frame.number) - firstFrame;
        if (clipFrame < 0 || clipFrame > UINT32_MAX)
        {
            mapped.failure = Failure("The frame lies before the clip's first frame.",
                "Frame: " + std::to_string(frame.number)
                    + "\nFirst Frame: " + std::to_string(firstFrame) + "\nHint: set --first-frame");
            continue;
        }
        if (!samples)
        {
            try
            {
                mapped.key = lensData.clipFrameKey(
                    uint32_t(clipFrame), options.framesPerSecond, options.startTimecode);
            }
            catch (const Failure& failure)
            {
                mapped.failure = failure;
            }
            continue;
        }
        findSample(
            mapped, timing->atClipFrame(frame.number, uint32_t(clipFrame), options.startTimecode));
    }
}

void FrameMapping::findSample(MappedFrame& mapped, FoundSample found)
{
    mapped.sample = found.sample;
    mapped.failure = std::move(found.failure);
}

void FrameMapping::mapByTimecode(const RunSettings& options, const InputClip& clip,
    const PlateMetadata& plate, ClipLensData& lensData)
{
    bool dropFrameCounted = false;
    const PlateFrameFacts* previous = nullptr;
    uint64_t previousCount = 0;
    float shownRate = 0.0f;
    std::string rateSource;
    for (const InputFrame& frame : clip.frames())
    {
        const PlateFrameFacts& facts = plate.frame(frame.number);
        MappedFrame& mapped = frames[frame.number];
        // --fps wins; else the file's rate; else the lens data's (no conversion).
        const float plateRate
            = options.framesPerSecond > 0.0f ? options.framesPerSecond : facts.framesPerSecond;
        if (rateSource.empty())
        {
            shownRate = plateRate > 0.0f ? plateRate : lensRate;
            rateSource = options.framesPerSecond > 0.0f ? "from --fps"
                : facts.framesPerSecond > 0.0f          ? "from the files"
                                                        : "of the lens data";
        }
        if (facts.timecodeFailure)
        {
            mapped.failure = facts.timecodeFailure;
            continue;
        }
        if (!facts.timecode)
        {
            mapped.failure = Failure("The frame carries no timecode, while others of the plate do.",
                "Path: \"" + facts.path + "\"\nAttribute: \"" + facts.timecodeAttribute
                    + "\"\nHint: give --start-timecode or --first-frame to map the frames by "
                      "their numbers");
            continue;
        }
        if (facts.dropFrame != lensDropFrame)
        {
            // The two count their labels differently: no frame can be matched by label.
            mapped.failure = timecodeFailure(facts,
                facts.dropFrame ? "The frame's timecode is drop-frame, the lens data's is not."
                                : "The frame's timecode is not drop-frame, the lens data's is.",
                "\nLens Data: \"" + lensPath + "\" (" + (lensDropFrame ? "drop-frame" : "non-drop")
                    + ")\nHint: give --start-timecode or --first-frame to map the frames by their "
                      "numbers");
            continue;
        }
        std::optional<Timecode::Timecode> timecode;
        try
        {
            // Rate 0 checks the fields' ranges without a frame limit; the rate is checked next.
            timecode = Timecode::Timecode(facts.timecode->c_str(), 0.0f);
        }
        catch (const std::exception&)
        {
            mapped.failure = timecodeFailure(facts, "The frame's timecode cannot be read.");
            continue;
        }
        const float rate = plateRate > 0.0f ? plateRate : lensRate;
        if (rate > 0.0f && timecode->frames >= uint32_t(std::ceil(rate)))
        {
            mapped.failure = timecodeFailure(facts,
                "The frame's timecode counts more frames than its rate has.",
                "\nFrame Rate: " + rateText(rate) + "\nHint: give the plate's rate with --fps");
            continue;
        }
        const uint64_t count = frameCount(*timecode, rate);
        if (previous && count <= previousCount)
        {
            throw Failure("The plate's timecodes go backwards or repeat.",
                "Path: \"" + previous->path + "\"\nTimecode: \"" + previous->timecode.value_or("")
                    + "\"\nPath: \"" + facts.path + "\"\nTimecode: \"" + *facts.timecode
                    + "\"\nHint: give --start-timecode or --first-frame to map the frames by "
                      "their numbers");
        }
        previous = &facts;
        previousCount = count;
        if (samples)
        {
            // The sample at the frame's time, from the plate's rate and the sample's own.
            findSample(mapped, timing->atLabel(frame.number, *timecode, facts.dropFrame));
            continue;
        }

        mapped.label = FrameLabel { *facts.timecode, count, DropFrame::perSecond(rate) };
        if (facts.dropFrame)
        {
            // Both count in drop-frame, which the library's timecode does not: the label's place
            // in that count finds the record by number.
            const uint32_t platePerSecond = DropFrame::perSecond(rate);
            const uint32_t lensPerSecond = DropFrame::perSecond(lensRate);
            if (!DropFrame::droppedPerMinute(platePerSecond)
                || !DropFrame::droppedPerMinute(lensPerSecond))
            {
                mapped.failure = timecodeFailure(facts,
                    "Drop-frame timecode is counted at 29.97 and 59.94 fps only.",
                    "\nFrame Rate: " + rateText(rate)
                        + "\nLens Data Frame Rate: " + rateText(lensRate));
                continue;
            }
            if (DropFrame::leftOut(*timecode, platePerSecond))
            {
                mapped.failure = timecodeFailure(
                    facts, "The frame's timecode is a label that drop-frame counting leaves out.");
                continue;
            }
            mapped.label->count = DropFrame::count(*timecode, platePerSecond);
            dropFrameCounted = true;
            try
            {
                mapped.key
                    = lensData.dropFrameKey(mapped.label->count * lensPerSecond / platePerSecond);
            }
            catch (const Failure& failure)
            {
                mapped.failure = failure;
            }
            continue;
        }

        // The library counts the frame field on from the second, at the lens data's rate: a
        // plate at another whole-frame rate has its frames converted by the library's rule.
        const bool otherRate
            = plateRate > 0.0f && lensRate > 0.0f && std::ceil(plateRate) != std::ceil(lensRate);
        Timecode::Timecode second = *timecode;
        second.frames = 0;
        mapped.key
            = LensDataKey { timecode->frames, otherRate ? plateRate : 0.0f, second.string(false) };
    }
    text = "each frame finds its lens data by its own timecode ("
        + plate.frame(clip.frames().front().number).timecodeAttribute + ", "
        + (timing ? timing->description() : rateText(shownRate) + " fps " + rateSource)
        + (dropFrameCounted ? ", counted in drop-frame" : "") + ")";
}

} // namespace LensCorrect
