// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Correction/FrameCorrector.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/CorrectionFrameLookup.h"
#include "Core/RendererConfiguration.h"
#include "Core/TextCopy.h"
#include "Correction/ClipSettings.h"
#include "CorrectionData/Container/ManagedContainer.h"

namespace LensCorrect
{

using RecordingFormatDatabase::RecordingFormat;

namespace
{

    constexpr size_t channels = 4;

    /// Half the diagonal of a frame in pixels, as the kernels measure it.
    double halfDiagonal(Size size)
    {
        return std::hypot(double(size.width), double(size.height)) / 2;
    }

    /// The distorted radius h (mm) that the frame's distortion fit takes to the undistorted
    /// radius `target`, as the library evaluates that fit, in single precision: the recording
    /// format's radius that makes the library undistort at a chosen scale.
    float distortedRadiusFor(float target, const Core::FrameData& frameData, RecordingFormat format,
        const CorrectionData::Frame& record)
    {
        const auto undistorted = [&](float radius)
        {
            format.imageAreaRadius = radius;
            Renderer::DistortionParameter parameter;
            libraryCall(
                [&] {
                    Core::configureDistortion(
                        parameter, { false, false }, frameData, format, record);
                });
            return parameter;
        };
        const Renderer::DistortionParameter start = undistorted(format.imageAreaRadius);
        const std::array<float, 6>& a = start.inverseCoefficients;
        const auto map = [&](double h)
        { return a[0] + h * (a[1] + h * (a[2] + h * (a[3] + h * (a[4] + h * a[5])))); };
        const auto slope = [&](double h)
        { return a[1] + h * (2 * a[2] + h * (3 * a[3] + h * (4 * a[4] + h * 5 * a[5]))); };
        // From the radius that scales like the recording's, then Newton's steps in double.
        double radius = start.imageRadius > 0.0f
            ? double(target) * format.imageAreaRadius / start.imageRadius
            : double(target);
        for (int step = 0; step < 60 && std::isfinite(radius); ++step)
        {
            const double change = (map(radius) - target) / slope(radius);
            radius -= change;
            if (!(std::abs(change) > 1e-13 * std::abs(radius)))
            {
                break;
            }
        }
        // The library's single-precision evaluation decides between neighbouring floats.
        float best = float(radius);
        const auto error = [&](float h) { return std::abs(undistorted(h).imageRadius - target); };
        float bestError = std::isfinite(best) && best > 0.0f ? error(best) : HUGE_VALF;
        for (const float towards : { HUGE_VALF, 0.0f })
        {
            float candidate = best;
            for (int step = 0; step < 4; ++step)
            {
                candidate = std::nextafter(candidate, towards);
                const float candidateError = candidate > 0.0f ? error(candidate) : HUGE_VALF;
                if (!(candidateError < bestError))
                {
                    break;
                }
                best = candidate;
                bestError = candidateError;
            }
        }
        if (!(bestError <= 1e-5f * target))
        {
            throw Failure(
                "The frame's distortion cannot be removed from a window of the recording.",
                "Reason: its radial map does not reach an undistorted radius of "
                    + std::to_string(target) + " mm from the optical centre");
        }
        return best;
    }

} // namespace

/// The frame's lens record as the library looks it up, through a container beside the library's
/// own (the parsed file shared through the library's cache). A window needs one fact the
/// library does not report: the radius its distortion fit takes to a given undistorted radius.
class LensRecordLookup
{
public:
    CorrectionData::Frame record(const ClipIdentity& identity, const std::string& frameMetadata,
        const Core::FrameData& frameData)
    {
        return libraryCall(
            [&]
            {
                // As the data source answers: the frame's own lens data, else the named file
                // checked against the clip's name, else the search around the clip.
                if (!frameMetadata.empty())
                {
                    if (!container || container->frameMetadataJSONString != frameMetadata)
                    {
                        container
                            = std::make_unique<CorrectionData::ManagedContainer>(frameMetadata);
                    }
                }
                else if (!identity.correctionFilePath.empty())
                {
                    const std::string name = fileName(identity.clipFilePath);
                    if (!container || container->correctionFilePath != identity.correctionFilePath
                        || container->clipFileName != name)
                    {
                        container = std::make_unique<CorrectionData::ManagedContainer>(
                            name, identity.correctionFilePath, Core::sharedContainerManager());
                    }
                }
                else if (!container || container->clipFilePath != identity.clipFilePath)
                {
                    container = std::make_unique<CorrectionData::ManagedContainer>(
                        identity.clipFilePath, Core::sharedContainerManager());
                }
                return Core::correctionFrame(*container, frameData);
            });
    }

private:
    std::unique_ptr<CorrectionData::ManagedContainer> container;
};

FrameCorrector::FrameCorrector(const LensSettings& settings, Size picture)
    : settings(settings)
    , picture(picture)
    // An extraction places the picture in the recording itself; its overscan is part of that.
    , overscan(settings.extraction ? 0.0f : overscanPercent(picture, settings.sizeWithoutOverscan))
    , request(std::make_shared<FrameRequest>())
    , core(std::make_unique<CommandLineDataSource>(
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

const CameraWindow& FrameCorrector::cameraWindow(const LensDataKey& frame, RecordingFormat& format)
{
    format = recordingFormat(frame);
    const Size recording { format.clipResolutionWidth, format.clipResolutionHeight };
    if (recording.width == 0 || recording.height == 0 || !(format.imageAreaRadius > 0.0f)
        || !std::isfinite(format.imageAreaRadius))
    {
        throw Failure("The recording format is not valid, so no window of it can be placed.",
            "Clip Resolution: " + pixelSizeText(recording)
                + "\nImage Radius: " + std::to_string(format.imageAreaRadius) + " mm");
    }
    if (!window || window->recording != recording)
    {
        window = LensCorrect::cameraWindow(
            *settings.extraction, picture, settings.sizeWithoutOverscan, recording);
    }
    return *window;
}

RecordingFormat FrameCorrector::windowFormat(const LensDataKey& frame, Size buffer, Pass pass)
{
    RecordingFormat format;
    const Size full = cameraWindow(frame, format).fullFrame;
    // The same call over the whole recording at the plate's scale: its buffer, and the radius
    // (mm) its kernel takes for half that buffer's diagonal. Shading, and the distortion's size
    // query, work on the recording itself.
    Size fullBuffer = full;
    double radius = format.imageAreaRadius;
    std::optional<CorrectionData::Frame> record;
    if (pass != Pass::shading)
    {
        fullBuffer = fullFrameRenderSize(frame);
        if (pass == Pass::shadingAfterDistortion && fullBuffer != full)
        {
            Core::FrameData enlarged {};
            enlarged.overscan = overscanPercent(fullBuffer, full);
            radius = Core::frameImageRadius(enlarged, format);
        }
        if (pass == Pass::undistortion)
        {
            // Undistorting, the kernel takes the undistorted image's radius.
            if (!records)
            {
                records = std::make_unique<LensRecordLookup>();
            }
            record = records->record(
                settings.identity, request->frameMetadata, frameData(frame, fullBuffer));
            Renderer::DistortionParameter parameter;
            libraryCall(
                [&]
                {
                    Core::configureDistortion(
                        parameter, { false, false }, frameData(frame, fullBuffer), format, *record);
                });
            radius = parameter.imageRadius;
        }
    }
    const double millimetresPerPixel = radius / halfDiagonal(fullBuffer);
    RecordingFormat own;
    own.imageAreaWidth = float(millimetresPerPixel * buffer.width);
    own.imageAreaHeight = float(millimetresPerPixel * buffer.height);
    own.clipResolutionWidth = buffer.width;
    own.clipResolutionHeight = buffer.height;
    own.imageAreaRadius = float(millimetresPerPixel * halfDiagonal(buffer));
    if (pass == Pass::undistortion)
    {
        own.imageAreaRadius
            = distortedRadiusFor(own.imageAreaRadius, frameData(frame, buffer), format, *record);
    }
    return own;
}

Size FrameCorrector::fullFrameRenderSize(const LensDataKey& frame)
{
    RecordingFormat format;
    const Size full = cameraWindow(frame, format).fullFrame;
    prepare(frame, full, false, false, true);
    Size library = full;
    check(core.frameSize(library.width, library.height));
    return FrameGeometry::renderSize(full, library);
}

BufferPlace FrameCorrector::distortionBuffer(const LensDataKey& frame, Size margin)
{
    RecordingFormat format;
    const Size full = cameraWindow(frame, format).fullFrame;
    const Size rendered = fullFrameRenderSize(frame);
    // The whole frame's picture lies at the truncated half of the growth: an odd growth puts
    // the buffer's middle, where the kernel has its centre, half a pixel beyond the optical
    // centre, and the window follows it there to match.
    return cameraWindow(frame, format)
        .bufferAround(
            (rendered.width - full.width) % 2, (rendered.height - full.height) % 2, margin);
}

Size FrameCorrector::windowMargin(Size renderSize) const
{
    if (renderSize.width < picture.width || renderSize.height < picture.height
        || (renderSize.width - picture.width) % 2 != 0
        || (renderSize.height - picture.height) % 2 != 0)
    {
        throw Failure("The frame size does not fit the extraction's corrected window.",
            "Frame: " + pixelSizeText(renderSize) + "\nPicture: " + pixelSizeText(picture)
                + "\nHint: a distorted window grows evenly on every side");
    }
    return { (renderSize.width - picture.width) / 2, (renderSize.height - picture.height) / 2 };
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

RgbaImage FrameCorrector::renderWindow(
    const LensDataKey& frame, Size buffer, const float* input, Pass pass, RgbaImage* output)
{
    const RecordingFormat format = windowFormat(frame, buffer, pass);
    RgbaImage result;
    if (!output || output->size != buffer)
    {
        result = RgbaImage(buffer, RgbaImage::Uninitialised {});
        output = &result;
    }
    const bool shading = pass == Pass::shading || pass == Pass::shadingAfterDistortion;
    prepare(frame, buffer, shading, false, !shading, format);
    check(core.render(input, output->pixels.data(), output->bytes()));
    return output == &result ? std::move(result) : std::move(*output);
}

RgbaImage FrameCorrector::correctWindow(
    const LensDataKey& frame, Size renderSize, const float* pixels)
{
    RecordingFormat format;
    const CameraWindow& place = cameraWindow(frame, format);
    const Size covering = place.buffer;
    const Size offset = place.offset;
    const bool centred = place.centred();
    const auto shaded = [&]
    {
        return centred
            ? renderWindow(frame, picture, pixels, Pass::shading)
            : renderWindow(frame, covering,
                placedCopy(pixels, picture, covering, offset).pixels.data(), Pass::shading);
    };
    if (!settings.distortion)
    {
        RgbaImage corrected = shaded();
        return centred ? corrected : placedCopy(corrected, picture, offset);
    }
    const Size margin = windowMargin(renderSize);
    const BufferPlace buffer = distortionBuffer(frame, margin);
    // The frame: the part of the buffer with the picture in its middle.
    const auto cut = [&](RgbaImage corrected)
    {
        return corrected.size == renderSize
            ? std::move(corrected)
            : placedCopy(corrected, renderSize,
                { buffer.offset.width - margin.width, buffer.offset.height - margin.height });
    };
    // The picture's pixels at their place in the buffer, read in place where they fill it.
    RgbaImage placed;
    const auto input = [&](const float* image) -> const float*
    {
        if (buffer.size == picture)
        {
            return image;
        }
        placed = placedCopy(image, picture, buffer.size, buffer.offset);
        return placed.pixels.data();
    };
    // Both corrections as for the whole recording: the shading at the recorded picture's
    // scale before the distortion is removed, or on the distorted frame after it is added.
    if (*settings.distortion == DistortionMode::undistort)
    {
        if (!settings.shading)
        {
            return cut(renderWindow(frame, buffer.size, input(pixels), Pass::undistortion));
        }
        RgbaImage picturePart = shaded();
        if (!centred)
        {
            picturePart = placedCopy(picturePart, picture, offset);
        }
        return cut(
            renderWindow(frame, buffer.size, input(picturePart.pixels.data()), Pass::undistortion));
    }
    RgbaImage corrected = renderWindow(frame, buffer.size, input(pixels), Pass::distortion);
    if (settings.shading)
    {
        // The placed copy is free again: the shaded frame goes there.
        corrected = renderWindow(
            frame, buffer.size, corrected.pixels.data(), Pass::shadingAfterDistortion, &placed);
    }
    return cut(std::move(corrected));
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
