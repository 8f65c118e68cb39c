// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Correction/FrameCorrector.h"
#include "Image/FramePool.h"
#include "LensData/ClipLensData.h"
#include "LensData/MappedFrame.h"
#include "Output/FrameWriter.h"
#include "Output/Provenance.h"
#include "Plate/PlateKind.h"
#include "Plate/PlateReader.h"
#include "Run/FrameSizes.h"
#include "Run/JobPlan.h"

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
    OIIO::ImageSpec plateSpec; ///< The first part's, for the maps.
    Window window; ///< Of the ST-map and of a frame that distortion enlarges.
    Window pictureWindow; ///< Of the gain map.
    std::vector<FrameWriter::FramePart> parts; ///< When the frame itself is written.
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
    FrameStages(const RunSettings& options, Size picture, const FrameSizes& canvas,
        FrameCorrector& corrector, ClipLensData& lensData, const PlateKind& kind,
        std::string plateFormat, std::string clipName, FramePool* pool = nullptr);

    /// On one thread (the library's corrector is not shared); failures travel in the result.
    Rendered render(Decoded& decoded);
    /// Throws Failure.
    void write(Rendered& rendered);
    /// Gives a written frame's buffers back to the pool.
    void recycle(Rendered& rendered);

    /// What a frame's outputs record about it; throws Failure when it finds no lens data.
    Provenance provenance(const MappedFrame& lens) const;

    /// The preview frame before and after, once rendered.
    const std::optional<RgbaImage>& previewBefore() const { return before; }
    const std::optional<RgbaImage>& previewAfter() const { return after; }

private:
    Provenance provenance(const LensRecord& record) const;
    /// A buffer of the pool, or nothing for the copy to allocate.
    RgbaImage take(Size size);
    void give(RgbaImage& image);

    const bool keepSize;
    const std::optional<ShadingMode> shading;
    const std::optional<DistortionMode> distortion;
    const OIIO::TypeDesc dataType;
    const Size picture;
    const FrameSizes& canvas;
    FrameCorrector& corrector;
    ClipLensData& lensData;
    const PlateKind& kind;
    const std::string plateFormat;
    const std::string clipName;
    FramePool* const pool;
    std::optional<RgbaImage> before;
    std::optional<RgbaImage> after;
};

} // namespace LensCorrect
