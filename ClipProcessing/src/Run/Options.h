// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "Correction/CorrectionModes.h"
#include "Correction/Extraction.h"
#include "Image/FrameGeometry.h"

namespace LensCorrect
{

/// Everything a run is told on the command line.
struct Options
{
    std::string input;
    std::string output; ///< Pattern; may be empty when only maps or a preview are wanted.

    std::optional<ShadingMode> shading;
    std::optional<DistortionMode> distortion;
    bool keepSize = false;

    std::string correctionFile;
    std::string openTrackIo; ///< OpenTrackIO samples file: per-frame lens data instead.
    bool strict = false; ///< OpenTrackIO lens data the correction cannot represent fails.
    std::string clip; ///< The clip's original file; empty: the input.
    std::string clipName; ///< Overrides the name checked against the correction file.
    std::optional<int> firstFrame;
    float framesPerSecond = 0.0f;
    std::string startTimecode;
    std::optional<std::pair<float, float>> sensorSize; ///< mm
    std::optional<Size> resolution;
    std::optional<float> imageDiameter; ///< mm
    std::optional<Size> sizeWithoutOverscan;
    /// The plate's picture as a window of the recording.
    std::optional<Extraction> extraction;

    std::string frames; ///< Frame list; empty: every frame of the input.
    std::string colorSpace; ///< Empty: the file's own.
    std::string dataType; ///< Empty: the input's.
    std::string stMap; ///< Pattern.
    std::string gainMap; ///< Pattern.
    std::string preview; ///< File.
    std::optional<int> previewFrame;
    bool dryRun = false; ///< List each frame's lens data; write nothing.
    /// Write the frame mapping as a JSON document here ("-": standard output); empty: none.
    std::string json;
    std::string writePlan; ///< Write the clip's plan to this file; render nothing.
    std::string plan; ///< Take the clip from this plan instead of reading it whole.
    bool skipExisting = false;
    bool keepGoing = false;
    bool quiet = false;
};

} // namespace LensCorrect
