// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/FrameCorrector.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

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
    // The library takes the timecode in a field of 16 characters with its NUL; a cut one would
    // look up other frames.
    if (settings.startTimecode.size() >= sizeof(Core::FrameData::startTimecode))
    {
        throw Failure("The start timecode is longer than a timecode can be.",
            "Start Timecode: \"" + settings.startTimecode + "\"");
    }
    const std::optional<Size>& withoutOverscan = settings.sizeWithoutOverscan;
    if (withoutOverscan
        && (withoutOverscan->width > picture.width || withoutOverscan->height > picture.height))
    {
        const auto text = [](Size size)
        { return std::to_string(size.width) + "x" + std::to_string(size.height) + " px"; };
        throw Failure("The picture without overscan is larger than the plate.",
            "Size Without Overscan: " + text(*withoutOverscan) + "\nPlate: " + text(picture));
    }
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
    std::string detailedText = texts.detailed;
    if (!metadataOrigin.empty())
    {
        detailedText = detailedText.empty() ? texts.brief : detailedText;
        if (detailedText.back() != '\n')
        {
            detailedText += '\n';
        }
        detailedText += "Lens Data: " + metadataOrigin;
    }
    throw Failure::fromLibrary(texts.brief, detailedText);
}

void FrameCorrector::setFrameMetadata(std::string json, std::string origin)
{
    if (json.size() > maximumLibraryTextLength)
    {
        throw Failure("The frame's lens data is longer than the library takes.",
            "Length: " + std::to_string(json.size()) + " characters, at most "
                + std::to_string(maximumLibraryTextLength) + "\nLens Data: " + origin);
    }
    request->frameMetadata = std::move(json);
    metadataOrigin = request->frameMetadata.empty() ? std::string() : std::move(origin);
}

void FrameCorrector::prepare(
    const LensDataKey& key, Size bufferSize, bool shading, bool shadingMap, bool distortion)
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
    // Frame metadata describes this one frame and carries no rate: the library answers any
    // frame number with it, so the frame is frame 0 and nothing is converted or timed.
    if (request->frameMetadata.empty())
    {
        frame.frameNumber = key.frameNumber;
        frame.framesPerSecond = key.framesPerSecond;
        const size_t length = std::min(key.startTimecode.size(), sizeof(frame.startTimecode) - 1);
        std::memcpy(frame.startTimecode, key.startTimecode.data(), length);
    }
    frame.width = bufferSize.width;
    frame.height = bufferSize.height;
    frame.overscan = overscan;
    if (shading && !distortion && bufferSize != picture)
    {
        // Shading added to a distorted frame larger than the picture: the picture keeps its
        // scale on the sensor, so the margin around it counts as overscan of the picture
        // without overscan, as a second run over the written frame would read it.
        frame.overscan
            = overscanPercent(bufferSize, settings.sizeWithoutOverscan.value_or(picture));
    }
}

RecordingFormatDatabase::RecordingFormat FrameCorrector::checkLensData()
{
    prepare(key(0), picture, true, false, true);
    RecordingFormatDatabase::RecordingFormat format;
    check(core.recordingFormat(format));
    return format;
}

Size FrameCorrector::renderSize(const LensDataKey& frame)
{
    if (!settings.distortion)
    {
        return picture;
    }
    // The library refuses a frame size for both corrections at once; shading keeps the size.
    prepare(frame, picture, false, false, true);
    Size library = picture;
    check(core.frameSize(library.width, library.height));
    const Size size = FrameGeometry::renderSize(picture, library);
    FrameGeometry::checkFrameSize(size, "enlarged frame that the distortion correction needs");
    return size;
}

RgbaImage FrameCorrector::render(const LensDataKey& frame, Size bufferSize, const float* input,
    bool shading, bool distortion, RgbaImage* output)
{
    // The library writes every output pixel.
    RgbaImage result;
    if (!output || output->size != bufferSize)
    {
        result = RgbaImage(bufferSize, RgbaImage::Uninitialised {});
        output = &result;
    }
    prepare(frame, bufferSize, shading, false, distortion);
    check(core.render(input, output->pixels.data(), output->bytes()));
    return output == &result ? std::move(result) : std::move(*output);
}

RgbaImage FrameCorrector::correct(
    const LensDataKey& frame, Size renderSize, const RgbaImage& pixels)
{
    return correct(frame, renderSize, pixels.pixels.data());
}

RgbaImage FrameCorrector::correct(const LensDataKey& frame, Size renderSize, const float* pixels)
{
    const bool shading = settings.shading.has_value();
    const bool distortion = settings.distortion.has_value();
    // The library would shade a frame of both corrections at the size of the buffer it is
    // given, which for the enlarged frame puts every radius at the wrong place on the sensor.
    // The shading belongs to the recorded picture: removed from the plate at its own size
    // before the distortion is removed, and added to the distorted picture after the
    // distortion is added, both on the frame the distortion correction sees.
    if (shading && distortion && *settings.distortion == DistortionMode::undistort)
    {
        const RgbaImage shaded = render(frame, picture, pixels, true, false);
        if (renderSize == picture)
        {
            return render(frame, renderSize, shaded.pixels.data(), false, true);
        }
        return render(
            frame, renderSize, centredCopy(shaded, renderSize).pixels.data(), false, true);
    }
    if (renderSize == picture)
    {
        RgbaImage corrected = render(frame, renderSize, pixels, !distortion, distortion);
        if (shading && distortion)
        {
            return render(frame, renderSize, corrected.pixels.data(), true, false);
        }
        return corrected;
    }
    RgbaImage centred = centredCopy(pixels, picture, renderSize);
    RgbaImage corrected = render(frame, renderSize, centred.pixels.data(), !distortion, distortion);
    if (shading && distortion)
    {
        // The centred copy is free again: the shaded frame goes there.
        return render(frame, renderSize, corrected.pixels.data(), true, false, &centred);
    }
    return corrected;
}

RgbaImage FrameCorrector::stMap(const LensDataKey& frame, Size renderSize)
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
    prepare(frame, renderSize, false, false, true);
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

RgbaImage FrameCorrector::gainMap(const LensDataKey& frame)
{
    RgbaImage map(picture, RgbaImage::Uninitialised {});
    prepare(frame, picture, true, true, false);
    check(core.render(nullptr, map.pixels.data(), map.bytes()));
    return map;
}

} // namespace LensCorrect
