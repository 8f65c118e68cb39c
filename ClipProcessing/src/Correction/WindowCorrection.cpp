// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// FrameCorrector's correction of a picture that is a window of the recording (an extraction): the
// window placed in the camera's frame, the recording format each library call over it is told,
// and the calls that correct it.
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/RendererConfiguration.h"
#include "Correction/CorrectorSettings.h"
#include "Correction/FrameCorrector.h"
#include "Correction/LensRecordLookup.h"

namespace LensCorrect
{

using RecordingFormatDatabase::RecordingFormat;

namespace
{

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

} // namespace LensCorrect
