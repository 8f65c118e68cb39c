// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Correction/LensDataKey.h"
#include "Correction/LensDataSource.h"
#include "CorrectionData/Frame.h"
#include "CorrectionData/Header.h"
#include "LensData/MappedFrame.h"

namespace CorrectionData
{
class ManagedContainer;
struct Content;
} // namespace CorrectionData

namespace LensCorrect
{

class FrameCorrector;
class OpenTrackIoSamples;

/// A record the frame finds but may not take: one labelled after the frame's own timecode, which
/// is a slip of the mapping rather than a gap in the lens data.
class RefusedRecord : public Failure
{
public:
    using Failure::Failure;
};

/// The record a frame takes, as the user is told.
struct LensRecord
{
    std::string name; ///< "5" (a correction file's frame number) or "line 3" (a sample).
    std::string timecode;
    std::optional<double> focalLength; ///< mm
    std::optional<double> focusDistance; ///< m

    /// "lens data frame 5 (01:00:00:05)", "sample line 3 (01:00:00:05)".
    std::string text() const;
};

/// The clip's lens data: a correction file as the library sees it, read through the library's
/// own container and process-wide cache so that the tool names the same header and record that
/// a render uses, or the OpenTrackIO samples handed to the library one frame at a time.
class ClipLensData
{
public:
    explicit ClipLensData(const ClipIdentity& identity);
    explicit ClipLensData(std::shared_ptr<const OpenTrackIoSamples> samples);
    ~ClipLensData();
    ClipLensData(const ClipLensData&) = delete;
    ClipLensData& operator=(const ClipLensData&) = delete;

    /// Null for a correction file.
    const OpenTrackIoSamples* samples() const { return openTrackIo.get(); }
    /// The header of the correction file; throws Failure with the library's texts (not found,
    /// unreadable, not the clip's).
    CorrectionData::Header header();
    /// The record a frame takes, as the library looks it up. Throws Failure with the library's
    /// texts when there is none, and with the tool's when the frame lies at or beyond the clip's
    /// length (a header without one lets the last record apply to every later frame), or when
    /// the record lies after the frame's own timecode (a mapping slip: RefusedRecord).
    LensRecord record(const MappedFrame& frame);
    /// The first record of the correction file; none for samples or a file without records.
    /// Throws Failure as header() does.
    std::optional<CorrectionData::Frame> firstRecord();
    /// Clip frame `clipFrame` (0: the clip's first) at `framesPerSecond` (0: the lens data's),
    /// counted on from `startTimecode` when one is given. The library counts every label; a
    /// correction file with drop-frame timecode is counted in drop-frame here. Throws Failure
    /// when the start timecode cannot be counted so.
    LensDataKey clipFrameKey(
        uint32_t clipFrame, float framesPerSecond, const std::string& startTimecode);
    /// The key of the frame `count` frames after 00:00:00:00 in the drop-frame count of the
    /// correction file's timecode (whose rate must have one): the first record's timecode counted
    /// so, and the frames from there. Throws Failure when the frame lies before the first record
    /// or the first record's timecode cannot be counted.
    LensDataKey dropFrameKey(uint64_t count);
    /// Tells the corrector the frame's lens data where the library does not look it up itself.
    void apply(FrameCorrector& corrector, const MappedFrame& frame) const;
    /// The correction file (named, or the one the library found around the clip once the header
    /// was read), or the samples file.
    std::string path() const;

    /// The header of a correction file, read and parsed without checking whom it belongs to.
    static CorrectionData::Header headerOfFile(const std::string& correctionFilePath);

private:
    /// The parsed correction file, as the library shares it; throws Failure as header() does.
    std::shared_ptr<const CorrectionData::Content> content();
    /// Focal length and focus distance of a correction file's frame lines, which the library
    /// does not read: the dry run shows them. Read once; none where a line has none.
    const std::pair<std::optional<double>, std::optional<double>>& lensState(uint32_t frame);

    const ClipIdentity identity;
    std::optional<std::map<uint32_t, std::pair<std::optional<double>, std::optional<double>>>>
        lensStates;
    std::unique_ptr<CorrectionData::ManagedContainer> container;
    std::shared_ptr<const OpenTrackIoSamples> openTrackIo;
};

} // namespace LensCorrect
