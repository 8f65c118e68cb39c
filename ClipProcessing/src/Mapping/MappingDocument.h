// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "Common/Failure.h"
#include "Common/FrameGeometry.h"
#include "Correction/FrameCorrector.h"
#include "LensData/ClipLensData.h"
#include "LensData/CornerValues.h"
#include "Mapping/FrameMapping.h"

namespace LensCorrect
{

/// The version of the document's schema: fields may be added within a version; one that
/// changes or leaves out a field is a new version.
constexpr int mappingDocumentVersion = 1;

/// What a run says about itself in the document; what it has not worked out yet stays empty.
struct MappingRun
{
    bool dryRun = false;
    std::string input;
    std::string directory; ///< The working directory, against which relative paths hold.
    /// The options that decide the result (ClipPlan::settingsOf).
    std::map<std::string, std::string> options;
    std::optional<ShadingMode> shading;
    std::optional<DistortionMode> distortion;
    bool keepSize = false;

    bool samples = false; ///< OpenTrackIO samples rather than a correction file.
    std::string lensDataPath;
    std::string lensDataFoundBy; ///< "--correction-file", "search around the clip", ...
    std::string clipFile; ///< The clip searched around, when searched.
    std::string clipName;
    std::string clipNameSource;
    std::optional<float> lensDataFramesPerSecond;

    std::optional<MappingRule> rule;
    std::string mapping; ///< FrameMapping::description.
    std::vector<std::string> remarks;
    std::optional<float> framesPerSecond; ///< The plate's.
    std::string framesPerSecondSource; ///< "--fps" or "files".

    std::optional<Size> picture;
    std::optional<Size> sizeWithoutOverscan;
    std::optional<Size> output;
};

/// Whether a frame can be corrected as the run stands.
enum class MappingStatus
{
    found,
    noLensData, ///< No record for the frame: the failure says why.
    refused, ///< A record, but the run would refuse the frame: the failure says why.
    missing, ///< The sequence lacks the frame's file.
};

/// One plate frame of the document.
struct MappingFrame
{
    int number = 0;
    std::string file;
    std::optional<std::string> timecode;
    std::optional<LensRecord> record;
    CornerValues corner;
    MappingStatus status = MappingStatus::found;
    std::optional<Failure> failure;
};

/// The frame mapping as one JSON document, for pipelines: the run, then one entry per plate
/// frame, in the schema the README documents.
std::string mappingDocument(const MappingRun& run, const std::vector<MappingFrame>& frames,
    const std::optional<Failure>& runFailure);

/// Writes a document whole: to `out` for "-", else to the file, installed only when complete
/// (DurableFile). Throws Failure.
void writeMappingDocument(
    const std::string& destination, const std::string& text, std::ostream& out);

/// Checks a document's text from `origin` (a path, for messages): JSON, an object of this
/// version with its run and frames. Throws Failure.
void checkMappingDocument(const std::string& text, const std::string& origin);

} // namespace LensCorrect
