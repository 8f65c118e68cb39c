// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "lenscorrect/Canvas.h"
#include "lenscorrect/ChannelLayout.h"
#include "lenscorrect/ClipLensData.h"
#include "lenscorrect/ColorConversion.h"
#include "lenscorrect/FrameCorrector.h"
#include "lenscorrect/JobPlan.h"
#include "lenscorrect/PlateReader.h"
#include "lenscorrect/Provenance.h"

namespace LensCorrect
{

struct Decoded
{
    Job job;
    std::optional<Plate> plate;
    std::optional<Failure> failure;
};

struct Rendered
{
    Job job;
    OIIO::ImageSpec plateSpec;
    Window window; ///< Of the frame and the ST-map.
    Window pictureWindow; ///< Of the gain map.
    std::vector<RgbaImage> groups;
    std::optional<RgbaImage> stMap;
    std::optional<RgbaImage> gainMap;
    Provenance provenance;
    std::optional<Failure> failure;
};

/// Corrects a decoded frame into every output the job asks for, and writes them: the middle
/// and last stages of a run.
class FrameStages
{
public:
    /// `clipName`: the clip the outputs say they come from.
    FrameStages(const Options& options, Size picture, const Canvas& canvas,
        FrameCorrector& corrector, ClipLensData& lensData, const ColorConversion& colour,
        const ChannelLayout& layout, std::string plateFormat, std::string clipName);

    /// On one thread (the library's corrector is not shared); failures travel in the result.
    Rendered render(Decoded& decoded);
    /// Throws Failure.
    void write(Rendered& rendered);

    /// What a frame's outputs record about it; throws Failure when it finds no lens data.
    Provenance provenance(const MappedFrame& lens) const;

    /// The preview frame before and after, once rendered.
    const std::optional<RgbaImage>& previewBefore() const { return before; }
    const std::optional<RgbaImage>& previewAfter() const { return after; }

private:
    Provenance provenance(const LensRecord& record) const;

    const bool keepSize;
    const std::optional<ShadingMode> shading;
    const std::optional<DistortionMode> distortion;
    const OIIO::TypeDesc dataType;
    const Size picture;
    const Canvas& canvas;
    FrameCorrector& corrector;
    ClipLensData& lensData;
    const ColorConversion& colour;
    const ChannelLayout& layout;
    const std::string plateFormat;
    const std::string clipName;
    std::optional<RgbaImage> before;
    std::optional<RgbaImage> after;
};

} // namespace LensCorrect
