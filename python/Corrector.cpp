// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Corrector.h"

#include <stdexcept>
#include <utility>

#include "Image/ChannelLayout.h"

namespace PythonBindings
{

using LensCorrect::RgbaImage;
using LensCorrect::Size;

namespace
{

    /// How the tool takes a picture of 3 or 4 float channels apart into RGBA and back: RGB, or
    /// RGBA with alpha fourth, as a file of that many channels without names is read.
    LensCorrect::ChannelLayout layout(int channels)
    {
        return LensCorrect::ChannelLayout(channels, channels == 4 ? 3 : -1);
    }

} // namespace

Corrector::Corrector(LensCorrect::LensSettings lens)
    : settings(std::move(lens))
    , lensData(settings.identity)
{
}

Corrector::~Corrector() = default;

LensCorrect::FrameCorrector& Corrector::correctorFor(Size picture)
{
    if (!corrector || correctorPicture != picture)
    {
        LensCorrect::FrameGeometry::checkFrameSize(picture, "input frame");
        corrector.reset();
        corrector = std::make_unique<LensCorrect::FrameCorrector>(settings, picture);
        correctorPicture = picture;
    }
    return *corrector;
}

LensCorrect::LensDataKey Corrector::key(uint32_t frame)
{
    LensCorrect::MappedFrame mapped;
    mapped.key = lensData.clipFrameKey(frame, settings.framesPerSecond, settings.startTimecode);
    // The tool's look-up with its checks, so that a frame it fails fails here too.
    lensData.record(mapped);
    return *mapped.key;
}

Size Corrector::frameSize(uint32_t frame, Size picture)
{
    std::lock_guard<std::mutex> lock(mutex);
    LensCorrect::FrameCorrector& frameCorrector = correctorFor(picture);
    return frameCorrector.renderSize(key(frame));
}

RgbaImage Corrector::correct(uint32_t frame, Size picture, const float* pixels, int channels)
{
    std::lock_guard<std::mutex> lock(mutex);
    LensCorrect::FrameCorrector& frameCorrector = correctorFor(picture);
    const LensCorrect::LensDataKey lens = key(frame);
    const Size renderSize = frameCorrector.renderSize(lens);
    if (channels == 4)
    {
        // RGBA is the library's own layout (the tool's channel layout of it is the identity).
        return frameCorrector.correct(lens, renderSize, pixels);
    }
    return frameCorrector.correct(
        lens, renderSize, layout(channels).split(pixels, picture).front());
}

void Corrector::join(const std::vector<RgbaImage>& frame, int channels, float* pixels)
{
    layout(channels).join(frame, pixels);
}

RgbaImage Corrector::stMap(uint32_t frame, Size picture)
{
    if (!distortion())
    {
        throw std::invalid_argument("an ST-map describes a distortion correction: this corrector "
                                    "has none (distortion=None)");
    }
    std::lock_guard<std::mutex> lock(mutex);
    LensCorrect::FrameCorrector& frameCorrector = correctorFor(picture);
    const LensCorrect::LensDataKey lens = key(frame);
    return frameCorrector.stMap(lens, frameCorrector.renderSize(lens));
}

RgbaImage Corrector::gainMap(uint32_t frame, Size picture)
{
    if (!shading())
    {
        throw std::invalid_argument("a gain map describes a shading correction: this corrector "
                                    "has none (shading=None)");
    }
    std::lock_guard<std::mutex> lock(mutex);
    LensCorrect::FrameCorrector& frameCorrector = correctorFor(picture);
    return frameCorrector.gainMap(key(frame));
}

} // namespace PythonBindings
