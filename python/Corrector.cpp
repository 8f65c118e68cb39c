// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Corrector.h"

#include <stdexcept>

#include <OpenImageIO/imageio.h>

#include "lenscorrect/ChannelLayout.h"
#include "lenscorrect/ClipSettings.h"

namespace PythonBindings
{

using LensCorrect::RgbaImage;
using LensCorrect::Size;

namespace
{

    /// How the tool takes a picture of 3 or 4 float channels apart into RGBA and back.
    LensCorrect::ChannelLayout layout(Size size, int channels)
    {
        return LensCorrect::ChannelLayout(
            OIIO::ImageSpec(int(size.width), int(size.height), channels, OIIO::TypeFloat));
    }

} // namespace

Corrector::Corrector(const LensCorrect::Options& options)
    : settings(LensCorrect::lensSettings(options))
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

Size Corrector::frameSize(uint32_t frame, Size picture)
{
    std::lock_guard<std::mutex> lock(mutex);
    return correctorFor(picture).renderSize(frame);
}

RgbaImage Corrector::correct(uint32_t frame, Size picture, const float* pixels, int channels)
{
    std::lock_guard<std::mutex> lock(mutex);
    LensCorrect::FrameCorrector& frameCorrector = correctorFor(picture);
    const Size renderSize = frameCorrector.renderSize(frame);
    if (channels == 4)
    {
        // RGBA is the library's own layout (the tool's channel layout of it is the identity).
        return frameCorrector.correct(frame, renderSize, pixels);
    }
    return frameCorrector.correct(
        frame, renderSize, layout(picture, channels).split(pixels, picture).front());
}

void Corrector::join(const std::vector<RgbaImage>& frame, int channels, float* pixels)
{
    layout(frame.front().size, channels).join(frame, pixels);
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
    return frameCorrector.stMap(frame, frameCorrector.renderSize(frame));
}

RgbaImage Corrector::gainMap(uint32_t frame, Size picture)
{
    if (!shading())
    {
        throw std::invalid_argument("a gain map describes a shading correction: this corrector "
                                    "has none (shading=None)");
    }
    std::lock_guard<std::mutex> lock(mutex);
    return correctorFor(picture).gainMap(frame);
}

} // namespace PythonBindings
