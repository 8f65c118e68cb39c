// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/ClipLensData.h"

#include <algorithm>
#include <cstring>

#include "Common/DropFrame.h"
#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/CorrectionFrameLookup.h"
#include "Correction/FrameCorrector.h"
#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/Content.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"
#include "Exception/ClassicNumberReader.h"
#include "Exception/Exception.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Timecode/Timecode.h"

namespace LensCorrect
{

namespace
{

    /// The clip frame number the library looks a key up by (Core::correctionFrame's arithmetic,
    /// without its 32-bit wrap); none where the library's look-up fails.
    std::optional<uint64_t> lookedUpNumber(
        const Core::FrameData& frameData, const CorrectionData::Content& content)
    {
        const float rate = content.header.tcFps;
        const uint32_t converted = Core::convertedFrameNumber(frameData, rate);
        const std::string startTimecode(frameData.startTimecode,
            strnlen(frameData.startTimecode, sizeof(frameData.startTimecode)));
        if (rate == 0.0f || startTimecode.empty())
        {
            return converted;
        }
        if (content.frames.empty())
        {
            return std::nullopt;
        }
        const CorrectionData::Frame& first = content.frames.begin()->second;
        try
        {
            const Timecode::Timecode timecode
                = Timecode::Timecode(startTimecode.c_str(), rate) + converted;
            return uint64_t(first.frameNumber)
                + (timecode - Timecode::Timecode(first.timecode.c_str(), rate));
        }
        catch (const Exception&)
        {
            return std::nullopt;
        }
    }

    /// A record's timecode as frames from 00:00:00:00 at the header's whole-frame rate, in
    /// drop-frame where the header says so; none where it cannot be read.
    std::optional<uint64_t> recordCount(
        const CorrectionData::Frame& frame, const CorrectionData::Header& header)
    {
        const uint32_t perSecond = DropFrame::perSecond(header.tcFps);
        if (frame.timecode.empty() || perSecond == 0)
        {
            return std::nullopt;
        }
        try
        {
            const Timecode::Timecode timecode(frame.timecode.c_str(), header.tcFps);
            if (header.tcDrop && DropFrame::droppedPerMinute(perSecond))
            {
                return DropFrame::count(timecode, perSecond);
            }
            return (uint64_t(timecode.hours) * 3600 + timecode.minutes * 60 + timecode.seconds)
                * perSecond
                + timecode.frames;
        }
        catch (const Exception&)
        {
            return std::nullopt;
        }
    }

} // namespace

ClipLensData::ClipLensData(const ClipIdentity& identity)
    : identity(identity)
    , container(identity.correctionFilePath.empty()
              ? std::make_unique<CorrectionData::ManagedContainer>(
                  identity.clipFilePath, Core::sharedContainerManager())
              : std::make_unique<CorrectionData::ManagedContainer>(fileName(identity.clipFilePath),
                  identity.correctionFilePath, Core::sharedContainerManager()))
{
}

ClipLensData::ClipLensData(std::shared_ptr<const OpenTrackIoSamples> samples)
    : openTrackIo(std::move(samples))
{
}

ClipLensData::~ClipLensData() = default;

std::string LensRecord::text() const
{
    const bool sample = name.rfind("line ", 0) == 0 || name.rfind("array ", 0) == 0;
    const bool several = name.find('-') != std::string::npos;
    return (sample ? (several ? "samples " : "sample ")
                   : (several ? "lens data frames " : "lens data frame "))
        + name + (timecode.empty() ? "" : " (" + timecode + ")");
}

CorrectionData::Header ClipLensData::header()
{
    if (!container)
    {
        return {};
    }
    return libraryCall(
        [&]
        {
            CorrectionData::Header header {};
            container->headerData(header);
            return header;
        });
}

LensRecord ClipLensData::record(const MappedFrame& mapped)
{
    if (!mapped.found())
    {
        throw mapped.failure.value_or(Failure("The frame has no lens data."));
    }
    if (mapped.sample)
    {
        const OpenTrackIoSample& sample = *mapped.sample;
        return { sample.where,
            sample.timecode ? sample.timecode->timecode.string(false) : std::string(),
            sample.focalLength, sample.focusDistance };
    }
    const Core::FrameData data = libraryFrameData(*mapped.key);
    const CorrectionData::Frame frame
        = libraryCall([&] { return Core::correctionFrame(*container, data); });
    const std::shared_ptr<const CorrectionData::Content> parsed = content();
    const CorrectionData::Header& header = parsed->header;

    // Records apply up to the next one; past the clip's own length there is no lens data.
    const std::optional<uint64_t> number = lookedUpNumber(data, *parsed);
    if (header.clipDurationFrames > 0 && number && *number >= header.clipDurationFrames)
    {
        throw Failure("The frame lies beyond the clip's end.",
            "Clip Frame: " + std::to_string(*number)
                + "\nClip Duration: " + std::to_string(header.clipDurationFrames)
                + " frames\nCorrection File: \"" + path()
                + "\"\nHint: check --first-frame, --start-timecode or the frame's timecode");
    }
    // Whatever the mapping did, a record labelled after the frame's own timecode is not its.
    const std::optional<uint64_t> recordAt = recordCount(frame, header);
    if (mapped.label && recordAt
        && *recordAt * mapped.label->perSecond
            > mapped.label->count * DropFrame::perSecond(header.tcFps))
    {
        throw RefusedRecord("The lens data record found lies after the frame's timecode.",
            "Timecode: \"" + mapped.label->text + "\"\nRecord: " + std::to_string(frame.frameNumber)
                + "\nRecord Timecode: \"" + frame.timecode + "\"\nCorrection File: \"" + path()
                + "\"");
    }
    const auto& [focalLength, focusDistance] = lensState(frame.frameNumber);
    return { std::to_string(frame.frameNumber), frame.timecode, focalLength, focusDistance };
}

std::shared_ptr<const CorrectionData::Content> ClipLensData::content()
{
    return libraryCall(
        [&]
        {
            std::shared_ptr<CorrectionData::Content> shared;
            if (identity.correctionFilePath.empty())
            {
                Core::sharedContainerManager()->shareContent(identity.clipFilePath, shared);
            }
            else
            {
                Core::sharedContainerManager()->shareContent(
                    fileName(identity.clipFilePath), identity.correctionFilePath, shared);
            }
            return std::shared_ptr<const CorrectionData::Content>(std::move(shared));
        });
}

std::optional<CorrectionData::Frame> ClipLensData::firstRecord()
{
    if (!container)
    {
        return std::nullopt;
    }
    const std::shared_ptr<const CorrectionData::Content> parsed = content();
    if (parsed->frames.empty())
    {
        return std::nullopt;
    }
    return parsed->frames.begin()->second;
}

LensDataKey ClipLensData::dropFrameKey(uint64_t count)
{
    const std::shared_ptr<const CorrectionData::Content> parsed = content();
    const CorrectionData::Header& header = parsed->header;
    const std::optional<CorrectionData::Frame> first = firstRecord();
    const std::optional<uint64_t> firstCount
        = first ? recordCount(*first, header) : std::optional<uint64_t>();
    if (!firstCount)
    {
        throw Failure("The lens data's first record has no timecode to count from.",
            "Record: " + (first ? std::to_string(first->frameNumber) : std::string("none"))
                + "\nRecord Timecode: \"" + (first ? first->timecode : std::string())
                + "\"\nCorrection File: \"" + path() + "\"");
    }
    if (count < *firstCount)
    {
        throw Failure("The frame lies before the clip's first record.",
            "Record: " + std::to_string(first->frameNumber) + "\nRecord Timecode: \""
                + first->timecode + "\"\nCorrection File: \"" + path() + "\"");
    }
    const uint64_t number = first->frameNumber + (count - *firstCount);
    // Past 32 bits lies past any clip: the last number stands for it.
    return { uint32_t(std::min<uint64_t>(number, UINT32_MAX)), 0.0f, "" };
}

LensDataKey ClipLensData::clipFrameKey(
    uint32_t clipFrame, float framesPerSecond, const std::string& startTimecode)
{
    if (!container || startTimecode.empty())
    {
        return { clipFrame, framesPerSecond, startTimecode };
    }
    const CorrectionData::Header lens = header();
    const uint32_t perSecond = DropFrame::perSecond(lens.tcFps);
    if (!lens.tcDrop || !DropFrame::droppedPerMinute(perSecond))
    {
        return { clipFrame, framesPerSecond, startTimecode };
    }
    // The start timecode is the clip's, whose labels the lens data's drop-frame flag describes.
    std::optional<Timecode::Timecode> start;
    try
    {
        start = Timecode::Timecode(startTimecode.c_str(), lens.tcFps);
    }
    catch (const Exception&)
    {
    }
    if (!start || DropFrame::leftOut(*start, perSecond))
    {
        throw Failure(start ? "The start timecode is a label that drop-frame counting leaves out."
                            : "The start timecode cannot be read at the lens data's rate.",
            "Start Timecode: \"" + startTimecode + "\"\nFrame Rate: " + numberText(lens.tcFps, 6)
                + " (drop-frame)\nCorrection File: \"" + path() + "\"");
    }
    const LensDataKey atRate { clipFrame, framesPerSecond, "" };
    return dropFrameKey(DropFrame::count(*start, perSecond)
        + Core::convertedFrameNumber(libraryFrameData(atRate), lens.tcFps));
}

const std::pair<std::optional<double>, std::optional<double>>& ClipLensData::lensState(
    uint32_t frame)
{
    if (!lensStates)
    {
        lensStates.emplace();
        // The columns after the distortion: focal length, then focus distance. The library has
        // parsed the file already; should it have changed since, the lines before the fault count.
        try
        {
            std::string text;
            CorrectionFile::Reader().readFile(path(), text);
            CorrectionFile::FrameLines lines(text);
            ClassicNumberReader reader;
            const auto number = [&](size_t field)
            {
                float value = 0.0f;
                return reader.read(lines.field(field), value) ? std::optional<double>(value)
                                                              : std::nullopt;
            };
            while (lines.next())
            {
                (*lensStates)[lines.frameNumber()] = { number(3), number(4) };
            }
        }
        catch (const Exception&)
        {
        }
    }
    static const std::pair<std::optional<double>, std::optional<double>> none;
    const auto found = lensStates->find(frame);
    return found == lensStates->end() ? none : found->second;
}

void ClipLensData::apply(FrameCorrector& corrector, const MappedFrame& frame) const
{
    if (frame.sample)
    {
        corrector.setFrameMetadata(frame.sample->frameMetadata, frame.sample->origin);
    }
}

std::string ClipLensData::path() const
{
    if (openTrackIo)
    {
        return openTrackIo->path();
    }
    std::string path = identity.correctionFilePath;
    if (path.empty())
    {
        Core::sharedContainerManager()->foundCorrectionFilePath(identity.clipFilePath, path);
    }
    return path;
}

CorrectionData::Header ClipLensData::headerOfFile(const std::string& correctionFilePath)
{
    return libraryCall(
        [&]
        {
            std::string text;
            CorrectionFile::Reader().readFile(correctionFilePath, text);
            CorrectionData::Header header {};
            CorrectionFile::Parser().parseHeader(text, header);
            return header;
        });
}

} // namespace LensCorrect
