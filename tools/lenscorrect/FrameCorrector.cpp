// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/FrameCorrector.h"

#include <algorithm>
#include <cstring>

#include "Core/TextCopy.h"
#include "lenscorrect/ClipSettings.h"
#include "lenscorrect/Failure.h"

namespace LensCorrect
{

namespace
{

    constexpr size_t channels = 4;

} // namespace

FrameCorrector::FrameCorrector(const LensSettings& settings, Size picture)
    : settings(settings)
    , picture(picture)
    , overscan(overscanPercent(picture, settings.sizeWithoutOverscan))
    , request(std::make_shared<FrameRequest>())
    , core(std::make_unique<CommandLineDataSource>(
          settings.identity, settings.manualRecordingFormat, request))
{
}

FrameCorrector::~FrameCorrector() = default;

void FrameCorrector::check(bool succeeded) const
{
    if (succeeded)
    {
        return;
    }
    const Core::ErrorTexts texts = Core::errorTexts(
        core, "An issue did occur, but the issue description could not be retrieved.", "");
    throw Failure::fromLibrary(texts.brief, texts.detailed);
}

void FrameCorrector::prepare(
    uint32_t clipFrame, Size bufferSize, bool shading, bool shadingMap, bool distortion)
{
    request->shadingReverse.reset();
    request->distortionReverse.reset();
    if (shading && settings.shading)
    {
        request->shadingReverse = *settings.shading == ShadingMode::add;
    }
    if (distortion && settings.distortion)
    {
        request->distortionReverse = *settings.distortion == DistortionMode::distort;
    }
    request->shadingMap = shadingMap;

    Core::FrameData& frame = request->frame;
    frame = {};
    frame.frameNumber = clipFrame;
    frame.framesPerSecond = settings.framesPerSecond;
    const size_t length = std::min(settings.startTimecode.size(), sizeof(frame.startTimecode) - 1);
    std::memcpy(frame.startTimecode, settings.startTimecode.data(), length);
    frame.width = bufferSize.width;
    frame.height = bufferSize.height;
    frame.overscan = overscan;
}

RecordingFormatDatabase::RecordingFormat FrameCorrector::checkLensData()
{
    prepare(0, picture, true, false, true);
    RecordingFormatDatabase::RecordingFormat format;
    check(core.recordingFormat(format));
    return format;
}

Size FrameCorrector::renderSize(uint32_t clipFrame)
{
    if (!settings.distortion)
    {
        return picture;
    }
    // The library refuses a frame size for both corrections at once; shading keeps the size.
    prepare(clipFrame, picture, false, false, true);
    Size library = picture;
    check(core.frameSize(library.width, library.height));
    const Size size = FrameGeometry::renderSize(picture, library);
    FrameGeometry::checkFrameSize(size, "enlarged frame that the distortion correction needs");
    return size;
}

RgbaImage FrameCorrector::correct(uint32_t clipFrame, Size renderSize, const RgbaImage& pixels)
{
    RgbaImage enlarged;
    if (renderSize != picture)
    {
        enlarged = centredCopy(pixels, renderSize);
    }
    const RgbaImage& input = renderSize != picture ? enlarged : pixels;
    // The library writes every output pixel.
    RgbaImage output(renderSize, RgbaImage::Uninitialised {});
    prepare(clipFrame, renderSize, true, false, true);
    check(core.render(input.pixels.data(), output.pixels.data(), output.bytes()));
    return output;
}

RgbaImage FrameCorrector::stMap(uint32_t clipFrame, Size renderSize)
{
    // Bilinear sampling reproduces a linear ramp exactly, so the distortion correction of a ramp
    // of plate coordinates is the map of where each output pixel comes from.
    RgbaImage ramp(picture);
    for (uint32_t y = 0; y < picture.height; ++y)
    {
        for (uint32_t x = 0; x < picture.width; ++x)
        {
            float* pixel = ramp.pixel(x, y);
            pixel[0] = (x + 0.5f) / picture.width;
            pixel[1] = 1.0f - (y + 0.5f) / picture.height;
            pixel[3] = 1.0f;
        }
    }
    const RgbaImage input = centredCopy(ramp, renderSize);
    RgbaImage map(renderSize, RgbaImage::Uninitialised {});
    prepare(clipFrame, renderSize, false, false, true);
    check(core.render(input.pixels.data(), map.pixels.data(), map.bytes()));
    // At the plate's edge part of the sample falls outside, where the ramp is zero: alpha holds
    // the share inside, so dividing by it leaves the average position of the samples inside.
    for (size_t i = 0; i < map.pixels.size(); i += channels)
    {
        float* pixel = &map.pixels[i];
        const float inside = pixel[3];
        pixel[0] = inside > 0.0f ? pixel[0] / inside : 0.0f;
        pixel[1] = inside > 0.0f ? pixel[1] / inside : 0.0f;
        pixel[2] = 0.0f;
    }
    return map;
}

RgbaImage FrameCorrector::gainMap(uint32_t clipFrame)
{
    RgbaImage map(picture, RgbaImage::Uninitialised {});
    prepare(clipFrame, picture, true, true, false);
    check(core.render(nullptr, map.pixels.data(), map.bytes()));
    return map;
}

} // namespace LensCorrect
