// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Common/FrameGeometry.h"
#include "Correction/LensDataKey.h"
#include "LensData/MappedFrame.h"
#include "Plate/InputClip.h"
#include "Settings/RunSettings.h"

namespace LensCorrect
{

class OpenTrackIoSamples;

/// What identifies an input file's content cheaply: its size and modification time.
struct FileIdentity
{
    std::string path; ///< Absolute.
    uint64_t size = 0;
    int64_t modified = 0; ///< Nanoseconds since the epoch.

    /// The file as it is now; throws Failure when it cannot be looked at.
    static FileIdentity of(const std::string& path);
    bool operator==(const FileIdentity& other) const
    {
        return path == other.path && size == other.size && modified == other.modified;
    }
    /// "12345 bytes, modified 2026-06-14 10:31:02.123456789 UTC" for messages.
    std::string text() const;
};

/// One frame of a plan: the input it reads, and the lens data record it takes (or why none).
struct PlannedFrame
{
    InputFrame frame; ///< Its path absolute.
    FileIdentity input;
    std::optional<LensDataKey> key;
    std::optional<size_t> sample; ///< Position in the OpenTrackIO samples.
    std::optional<Failure> failure;
};

/// Everything a chunk of a split run would otherwise work out from the whole clip, computed
/// once (`lenscorrect --write-plan`): every frame's input and lens data record, the clip-wide
/// output size, the clip's identity and the inputs' identities. A chunk given the plan reads
/// only its own frames' rows and headers, so its start-up does not grow with the clip.
///
/// The file is JSON Lines: a header object on the first line, then one object per frame in
/// ascending frame order, so that a chunk parses the header and only its own lines.
struct ClipPlan
{
    /// The options that decide the result, as text (ClipPlan::settings); a chunk must run with
    /// the same.
    std::map<std::string, std::string> settings;
    std::vector<int> numbers; ///< Every frame of the clip, ascending.
    Size picture;
    int channels = 0;
    std::string format; ///< OpenImageIO's format name of the input.
    std::string colorSpace; ///< The clip's, as its first frame decided it.
    std::optional<Size> withoutOverscan;
    Size canvas; ///< The largest render size of the whole clip, at least the picture.
    std::string clipName;
    std::string clipNameSource;
    bool clipNameFromPlate = false;
    FileIdentity lensData; ///< The correction file (named or found) or the samples file.
    std::string mapping; ///< How frames were matched to records, for the report.
    std::vector<PlannedFrame> frames; ///< Those read: all when written, a chunk's when read.

    /// The options that decide what a run writes, by option name (the file patterns, the lens
    /// data, the corrections, the frame mapping); not those that only choose frames or how to
    /// report.
    static std::map<std::string, std::string> settingsOf(const RunSettings& options);

    /// Writes the plan durably (DurableFile); throws Failure.
    void write(const std::string& path) const;
    /// Reads the header and the rows of `wanted` frames (every row when empty); frames the plan
    /// does not hold are left out. Throws Failure for a file that is not a plan.
    static ClipPlan read(const std::string& path, const std::vector<int>& wanted);

    /// Throws Failure naming the first option whose value differs from the plan's.
    void checkSettings(const RunSettings& options, const std::string& planPath) const;
    /// Throws Failure when the lens data or an input of the frames read no longer is what the
    /// plan recorded.
    void checkInputs(const std::string& planPath) const;

    /// A frame's lens data as the frame mapping gives it; `samples` for a plan of OpenTrackIO
    /// samples (a sample beyond them fails the frame).
    static MappedFrame mapped(const PlannedFrame& frame, const OpenTrackIoSamples* samples);
};

} // namespace LensCorrect
