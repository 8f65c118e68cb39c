// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

#include <OpenImageIO/imageio.h>

#include "Correction/FrameCorrector.h"

namespace LensCorrect
{

/// The tool's name and version as its outputs name their maker.
std::string toolVersion();

/// What was applied to one output frame.
struct Provenance
{
    std::string correctionFile; ///< File name, or the samples file of other lens data.
    std::string clipName;
    std::string lensDataFrame; ///< The record used: its number (or sample).
    std::string lensDataTimecode;
    std::optional<ShadingMode> shading;
    std::optional<DistortionMode> distortion;
    std::string what; ///< "frame", "ST-map" or "gain map".
};

/// Records the provenance in a header about to be written in `format`: attributes of their own
/// (kept by EXR and PNG), the image history extended as OpenImageIO's tool extends it, the
/// tool as the software (the plate's is kept in the history, not passed off as ours), and for
/// formats that keep no attributes of their own, a line of the image description.
void addProvenance(OIIO::ImageSpec& spec, const std::string& format, const Provenance& provenance);

} // namespace LensCorrect
