// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Common/Failure.h"
#include "CorrectionData/Header.h"
#include "LensData/ClipLensData.h"
#include "LensData/MappedFrame.h"
#include "LensData/OpenTrackIoSamples.h"
#include "LensData/OpenTrackIoTiming.h"
#include "Plate/InputClip.h"
#include "Plate/PlateMetadata.h"
#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// What decided which record each frame takes.
enum class MappingRule
{
    option, ///< --first-frame or --start-timecode.
    timecode, ///< Each frame's own timecode.
    guess, ///< The order of the sequence, the plate carrying no timecode.
};

/// How the frames of a plate are matched to the clip's lens data. Explicit options win
/// (--first-frame, --start-timecode), then each frame's own timecode, then the order of the
/// sequence, which is a guess and says so.
class FrameMapping
{
public:
    /// Throws Failure when the plate's timecodes go backwards or repeat.
    FrameMapping(const RunSettings& options, const InputClip& clip, const PlateMetadata& plate,
        ClipLensData& lensData);

    /// One line for the run's report: which source decided the mapping.
    const std::string& description() const { return text; }
    /// Further lines for the report, once: what the lens data leaves to the rules.
    const std::vector<std::string>& remarks() const { return notes; }
    MappingRule rule() const { return decidedBy; }
    const MappedFrame& frame(int number) const { return frames.at(number); }

private:
    void mapByOptions(const RunSettings& options, const InputClip& clip, ClipLensData& lensData);
    void mapByTimecode(const RunSettings& options, const InputClip& clip,
        const PlateMetadata& plate, ClipLensData& lensData);
    /// The sample a frame takes, or why it has none.
    static void findSample(MappedFrame& mapped, FoundSample found);

    const OpenTrackIoSamples* samples = nullptr;
    std::optional<OpenTrackIoTiming> timing; ///< With samples: which sample a frame takes.
    float lensRate = 0.0f; ///< Of the lens data's timecodes; 0 when they have none.
    bool lensDropFrame = false;
    std::string lensPath;

    MappingRule decidedBy = MappingRule::guess;
    std::string text;
    std::vector<std::string> notes;
    std::map<int, MappedFrame> frames;
};

} // namespace LensCorrect
