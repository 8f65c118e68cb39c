// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// The steps of one run over one clip, shared by the files that define them: ClipRun.cpp (the
// run from start to end), ClipRunIdentification.cpp (which clip and lens data, from the input
// or a plan), ClipRunDocument.cpp (the dry run and the frame mapping document) and
// ClipRunFrames.cpp (the frames read, corrected and written).

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Common/Failure.h"
#include "Common/FrameGeometry.h"
#include "Correction/FrameCorrector.h"
#include "Correction/LensDataSource.h"
#include "Image/FramePool.h"
#include "LensData/ClipLensData.h"
#include "Mapping/MappingDocument.h"
#include "Plate/ClipName.h"
#include "Plate/InputClip.h"
#include "Plate/PlateKind.h"
#include "Plate/PlateMetadata.h"
#include "Run/ClipPlan.h"
#include "Run/ClipRun.h"
#include "Run/FrameSizes.h"
#include "Run/FrameStages.h"
#include "Run/JobPlan.h"
#include "Run/RunReport.h"

namespace LensCorrect::ClipRunning
{

/// One run over one clip.
class Run
{
public:
    Run(const RunSettings& options, std::ostream& messages, bool terminal,
        const std::atomic<bool>& stop)
        : options(options)
        , terminal(terminal)
        , stop(stop)
        , report(messages, options.keepGoing)
    {
    }

    ExitStatus execute();

private:
    ExitStatus executeSteps();
    void checkOptions() const;
    void identifySamples();
    void identifyClip(const InputClip& clip);
    void readPlan();
    void identifyPlannedClip();
    ExitStatus writePlan();
    ExitStatus dryRun(const std::vector<Job>& jobs);
    /// Each frame's headers against the first frame's, as a real run reads them: the frames
    /// that would fail, with why.
    std::map<int, Failure> checkHeaders(const std::vector<Job>& jobs) const;
    /// The lens data and the rates, for the document, once the lens data has been read.
    void describeLensData();
    /// The frame mapping document's frames: every job's, with its record, status and corner
    /// values, and the frames the sequence lacks. Says each refusal of the lens data.
    std::vector<MappingFrame> documentFrames(
        const std::vector<Job>& jobs, const std::map<int, Failure>& headerFailures);
    void writeDocument(
        const std::vector<MappingFrame>& frames, const std::optional<Failure>& failure);
    void checkPartsFit(const std::vector<Job>& jobs) const;
    std::string whyNotWritten(const Job& job, OutputKind kind, const std::string& path) const;
    ExitStatus process(std::vector<Job>& jobs);

    const RunSettings& options;
    const bool terminal;
    const std::atomic<bool>& stop;
    RunReport report;

    std::optional<PlateKind> kind;
    /// The clip's frames the run may take: the input's, or a plan's rows.
    ClipFrames frames;
    std::vector<std::string> inputFiles;
    /// Set when the run takes the clip from a plan.
    std::optional<ClipPlan> plan;
    OIIO::ImageSpec spec; ///< The clip's first frame's header (a plan's chunk: its own).
    Size picture;
    std::string plateFormat;
    std::optional<Size> withoutOverscan;
    std::optional<PlateMetadata> plate;
    ClipName clipName;
    ClipIdentity identity;
    std::unique_ptr<ClipLensData> lensData;
    std::string mappingDescription;
    std::vector<std::string> mappingRemarks;
    std::unique_ptr<FrameCorrector> corrector;
    std::optional<FrameSizes> canvas;
    /// The frames' buffers, handed on from frame to frame.
    std::optional<FramePool> pool;
    std::optional<FrameStages> frameStages;
    std::atomic<size_t> written { 0 };
    /// What the frame mapping document says of the run, filled in as the run learns it.
    MappingRun documentRun;
    bool documentWritten = false;
};

} // namespace LensCorrect::ClipRunning
