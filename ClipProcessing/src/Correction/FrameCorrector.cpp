// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Correction/FrameCorrector.h"

#include <string>
#include <utility>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/TextCopy.h"
#include "Correction/CorrectorSettings.h"
#include "Correction/LensRecordLookup.h"

namespace LensCorrect
{

using RecordingFormatDatabase::RecordingFormat;

namespace
{

    constexpr size_t channels = 4;

} // namespace

FrameCorrector::FrameCorrector(const LensSettings& settings, Size picture)
    : settings(settings)
    , picture(picture)
    // An extraction places the picture in the recording itself; its overscan is part of that.
    , overscan(settings.extraction ? 0.0f : overscanPercent(picture, settings.sizeWithoutOverscan))
    , request(std::make_shared<FrameRequest>())
    , core(std::make_unique<LensDataSource>(
          settings.identity, settings.manualRecordingFormat, request))
{
    // Refused here rather than at the first frame.
    libraryFrameData(key(0));
    const std::optional<Size>& withoutOverscan = settings.sizeWithoutOverscan;
    if (withoutOverscan
        && (withoutOverscan->width > picture.width || withoutOverscan->height > picture.height))
    {
        throw Failure("The picture without overscan is larger than the plate.",
            "Size Without Overscan: " + pixelSizeText(*withoutOverscan)
                + "\nPlate: " + pixelSizeText(picture));
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

Core::FrameData FrameCorrector::frameData(const LensDataKey& key, Size bufferSize) const
{
    // Frame metadata describes this one frame and carries no rate: the library answers any
    // frame number with it, so the frame is frame 0 and nothing is converted or timed.
    Core::FrameData frame
        = request->frameMetadata.empty() ? libraryFrameData(key) : Core::FrameData {};
    frame.width = bufferSize.width;
    frame.height = bufferSize.height;
    frame.overscan = overscan;
    return frame;
}

void FrameCorrector::prepare(const LensDataKey& key, Size bufferSize, bool shading, bool shadingMap,
    bool distortion, const std::optional<RecordingFormat>& format)
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
    request->recordingFormat = format;

    Core::FrameData& frame = request->frame;
    frame = frameData(key, bufferSize);
    if (shading && !distortion && bufferSize != picture && !settings.extraction)
    {
        // Shading added to a distorted frame larger than the picture: the picture keeps its
        // scale on the sensor, so the margin around it counts as overscan of the picture
        // without overscan, as a second run over the written frame would read it.
        frame.overscan
            = overscanPercent(bufferSize, settings.sizeWithoutOverscan.value_or(picture));
    }
}

std::string FrameCorrector::checkLensData()
{
    prepare(key(0), picture, true, false, true);
    RecordingFormat format;
    check(core.recordingFormat(format));
    if (!settings.extraction)
    {
        const RecordingFormat& used = settings.manualRecordingFormat.value_or(format);
        checkPlateFitsRecording(picture, { used.clipResolutionWidth, used.clipResolutionHeight });
        return std::string();
    }
    return cameraWindow(key(0), format).description();
}

RecordingFormat FrameCorrector::recordingFormat(const LensDataKey& frame)
{
    if (settings.manualRecordingFormat)
    {
        return *settings.manualRecordingFormat;
    }
    prepare(frame, picture, false, false, false);
    RecordingFormat format;
    check(core.recordingFormat(format));
    return format;
}

Size FrameCorrector::renderSize(const LensDataKey& frame)
{
    if (settings.extraction)
    {
        RecordingFormat format;
        cameraWindow(frame, format);
        if (!settings.distortion)
        {
            return picture;
        }
        // Asked as the whole recording's size is: the buffer at the recorded picture's scale.
        const Size buffer = distortionBuffer(frame, {}).size;
        prepare(frame, buffer, false, false, true, windowFormat(frame, buffer, Pass::shading));
        Size library = buffer;
        check(core.frameSize(library.width, library.height));
        // Grown evenly on every side, so that the picture stays in the middle.
        const Size grown = FrameGeometry::renderSize(buffer, library);
        const Size size { picture.width + (grown.width - buffer.width + 1) / 2 * 2,
            picture.height + (grown.height - buffer.height + 1) / 2 * 2 };
        FrameGeometry::checkFrameSize(size, "enlarged frame that the distortion correction needs");
        return size;
    }
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
    if (settings.extraction)
    {
        return correctWindow(frame, renderSize, pixels);
    }
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

RgbaImage FrameCorrector::correct(
    const LensDataKey& frame, Size renderSize, RgbaImage&& plate, FramePool* pool)
{
    RgbaImage input = std::move(plate);
    const auto done = [pool](RgbaImage& image)
    {
        if (pool)
        {
            pool->give(std::move(image));
        }
    };
    if (settings.extraction)
    {
        RgbaImage corrected = correctWindow(frame, renderSize, input.pixels.data());
        done(input);
        return corrected;
    }
    const bool shading = settings.shading.has_value();
    const bool distortion = settings.distortion.has_value();
    // As above, every library call writing over its own input.
    const bool shadingFirst
        = shading && distortion && *settings.distortion == DistortionMode::undistort;
    if (shadingFirst)
    {
        input = render(frame, picture, input.pixels.data(), true, false, &input);
    }
    RgbaImage frameBuffer;
    if (renderSize == picture || centreInPlace(input, renderSize))
    {
        frameBuffer = std::move(input);
    }
    else
    {
        frameBuffer = centredCopy(
            input.pixels.data(), picture, renderSize, pool ? pool->take(renderSize) : RgbaImage());
        done(input);
    }
    frameBuffer = render(frame, renderSize, frameBuffer.pixels.data(), shading && !distortion,
        distortion, &frameBuffer);
    if (shading && distortion && !shadingFirst)
    {
        frameBuffer
            = render(frame, renderSize, frameBuffer.pixels.data(), true, false, &frameBuffer);
    }
    return frameBuffer;
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
    RgbaImage map;
    if (settings.extraction)
    {
        const Size margin = windowMargin(renderSize);
        const BufferPlace buffer = distortionBuffer(frame, margin);
        const RgbaImage input = placedCopy(ramp, buffer.size, buffer.offset);
        map = renderWindow(frame, buffer.size, input.pixels.data(),
            *settings.distortion == DistortionMode::undistort ? Pass::undistortion
                                                              : Pass::distortion);
        if (map.size != renderSize)
        {
            map = placedCopy(map, renderSize,
                { buffer.offset.width - margin.width, buffer.offset.height - margin.height });
        }
    }
    else
    {
        const RgbaImage input = centredCopy(ramp, renderSize);
        map = RgbaImage(renderSize, RgbaImage::Uninitialised {});
        prepare(frame, renderSize, false, false, true);
        check(core.render(input.pixels.data(), map.pixels.data(), map.bytes()));
    }
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
    if (settings.extraction)
    {
        RecordingFormat format;
        const CameraWindow place = cameraWindow(frame, format);
        const RecordingFormat own = windowFormat(frame, place.buffer, Pass::shading);
        RgbaImage map(place.buffer, RgbaImage::Uninitialised {});
        prepare(frame, place.buffer, true, true, false, own);
        check(core.render(nullptr, map.pixels.data(), map.bytes()));
        return place.centred() ? map : placedCopy(map, picture, place.offset);
    }
    RgbaImage map(picture, RgbaImage::Uninitialised {});
    prepare(frame, picture, true, true, false);
    check(core.render(nullptr, map.pixels.data(), map.bytes()));
    return map;
}

} // namespace LensCorrect
