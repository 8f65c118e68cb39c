// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/CorePrivate.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Core/CorrectionFrameLookup.h"
#include "Core/ExtendedManagedContainer.h"
#include "Core/RendererConfiguration.h"
#include "CorrectionData/Header.h"
#include "Exception/DetailLines.h"
#include "Exception/Exception.h"
#include "Exception/ProcessWide.h"
#include "Renderer/DistortionRenderer.h"
#include "Renderer/ShadingRenderer.h"
#include "Timecode/Timecode.h"

namespace Core
{

namespace
{

    using RecordingFormatDatabase::RecordingFormat;
    constexpr size_t textBufferCapacity = 4096;
    constexpr size_t bytesPerPixel = 4 * sizeof(float);

    // Process-wide and never destroyed: the renderers compile their OpenCL programs once and
    // serve every Core object. rendererAccessLock guards their creation, their parameter records
    // and their use; a renderer whose creation failed is created again at the next call.
    std::mutex rendererAccessLock;
    ProcessWide<Renderer::ShadingRenderer> shadingRendererHolder;
    ProcessWide<Renderer::DistortionRenderer> distortionRendererHolder;

    // Only while rendererAccessLock is held, once both exist.
    Renderer::ShadingRenderer& shadingRenderer() { return *shadingRendererHolder.get(); }
    Renderer::DistortionRenderer& distortionRenderer() { return *distortionRendererHolder.get(); }

    /// The data source's text answer, or an empty text when it has none. An empty text counts as no
    /// answer: containers need non-empty identities.
    std::string askForText(
        const CoreDataSource& dataSource, bool (CoreDataSource::*question)(char*, size_t) const)
    {
        std::vector<char> buffer(textBufferCapacity, '\0');
        if (!(dataSource.*question)(buffer.data(), buffer.size()))
        {
            return std::string();
        }
        // Bounded, in case a data source filled the buffer without a terminating NUL.
        return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }

    using ExceptionDetail::text;

    std::string resolutionText(uint32_t width, uint32_t height)
    {
        return text(width, "x", height, " px");
    }

    [[noreturn]] void throwInvalidRecordingFormat(const RecordingFormat& format)
    {
        throw Exception("There is no valid data available for the recording format.",
            ExceptionDetail::DetailLines()
                .unquoted("Image Area Size: ",
                    text(format.imageAreaWidth, "x", format.imageAreaHeight, " mm"))
                .unquoted("Clip Resolution: ",
                    resolutionText(format.clipResolutionWidth, format.clipResolutionHeight))
                .unquoted("Image Radius: ", text(format.imageAreaRadius, " mm"))
                .str());
    }

    void checkRecordingFormat(const RecordingFormat& format)
    {
        // Not merely "radius > 0": an infinite size or radius (a header's "inf", a manual entry)
        // would render every pixel as NaN and still report success.
        if (format.clipResolutionWidth != 0 && format.clipResolutionHeight != 0
            && format.imageAreaRadius > 0.0f && std::isfinite(format.imageAreaRadius)
            && std::isfinite(format.imageAreaWidth) && std::isfinite(format.imageAreaHeight))
        {
            return;
        }
        throwInvalidRecordingFormat(format);
    }

    void checkFrameDimensions(const FrameData& frameData)
    {
        // The kernels divide by the width and the frame size divides by the corner distance.
        if (frameData.width == 0 || frameData.height == 0)
        {
            throw Exception("The current frame has no pixels.",
                ExceptionDetail::DetailLines()
                    .unquoted("Current Frame Resolution: ",
                        resolutionText(frameData.width, frameData.height))
                    .str());
        }
    }

    void checkAspectRatio(const FrameData& frameData, const RecordingFormat& format)
    {
        const float ratio = static_cast<float>(format.clipResolutionWidth)
            / static_cast<float>(format.clipResolutionHeight);
        const long long expectedHeight = std::llround(static_cast<float>(frameData.width) / ratio);
        if (std::llabs(expectedHeight - static_cast<long long>(frameData.height)) < 2)
        {
            return;
        }
        throw Exception(
            text("Aspect ratio of the current frame is not as expected. Recommended resolution is ",
                frameData.width, "x", expectedHeight, " px."),
            ExceptionDetail::DetailLines()
                .unquoted(
                    "Current Frame Resolution: ", resolutionText(frameData.width, frameData.height))
                .unquoted("Recording Format Resolution: ",
                    resolutionText(format.clipResolutionWidth, format.clipResolutionHeight))
                .str());
    }

    /// The frame number counted at the correction data's frame rate.
    /// The overscan may widen a valid radius beyond any float; the texts then show that radius.
    void checkFrameImageRadius(const FrameData& frameData, const RecordingFormat& format)
    {
        const float radius = frameImageRadius(frameData, format);
        if (!std::isfinite(radius))
        {
            RecordingFormat widened = format;
            widened.imageAreaRadius = radius;
            throwInvalidRecordingFormat(widened);
        }
    }

} // namespace

Core::CorePrivate::CorePrivate(std::unique_ptr<CoreDataSource> dataSource)
    : dataSource(std::move(dataSource))
{
    assert(this->dataSource);
}

Core::CorePrivate::~CorePrivate() = default;

ExtendedManagedContainer& Core::CorePrivate::extendedManagedContainer()
{
    const std::string correctionFilePath
        = askForText(*dataSource, &CoreDataSource::correctionFilePath);
    const std::string clipFileName = askForText(*dataSource, &CoreDataSource::clipFileName);
    const std::string frameMetadata = askForText(*dataSource, &CoreDataSource::frameMetadata);
    const std::string clipFilePath = askForText(*dataSource, &CoreDataSource::clipFilePath);

    // Identities compare as exact strings; a container built in another mode holds an empty
    // string in the compared field and is never reused.
    if (!correctionFilePath.empty() && !clipFileName.empty())
    {
        if (!container || container->correctionFilePath != correctionFilePath
            || container->clipFileName != clipFileName)
        {
            container = std::make_unique<ExtendedManagedContainer>(
                clipFileName, correctionFilePath, sharedContainerManager());
        }
    }
    else if (!frameMetadata.empty())
    {
        if (!container || container->frameMetadataJSONString != frameMetadata)
        {
            container = std::make_unique<ExtendedManagedContainer>(frameMetadata);
        }
    }
    else if (!clipFilePath.empty())
    {
        if (!container || container->clipFilePath != clipFilePath)
        {
            container = std::make_unique<ExtendedManagedContainer>(
                clipFilePath, sharedContainerManager());
        }
    }
    else
    {
        std::string details;
        if (!correctionFilePath.empty())
        {
            details += "Correction File Path: \"" + correctionFilePath + "\"";
        }
        if (!clipFileName.empty())
        {
            details += "Clip File Name: \"" + clipFileName + "\"";
        }
        throw Exception("There is some clip and correction file related data missing.", details);
    }
    return *container;
}

RecordingFormat Core::CorePrivate::retrieveRecordingFormat()
{
    ExtendedManagedContainer& currentContainer = extendedManagedContainer();
    RecordingFormat format {};
    if (!dataSource->recordingFormat(format))
    {
        format = currentContainer.recordingFormat();
    }
    checkRecordingFormat(format);
    return format;
}

FrameData Core::CorePrivate::retrieveFrameData()
{
    FrameData frameData {};
    if (!dataSource->frameData(frameData))
    {
        throw Exception("There is some frame related data missing.");
    }
    return frameData;
}

CorrectionData::Frame Core::CorePrivate::retrieveCorrectionFrameData(const FrameData& frameData)
{
    // The container that retrieveRecordingFormat chose for this call: the data source is asked
    // for the clip identity once per call.
    assert(container);
    ExtendedManagedContainer& currentContainer = *container;
    return correctionFrame(currentContainer, frameData);
}

Core::CorePrivate::RequestedCorrections Core::CorePrivate::prepareRendererIfNeeded(
    std::unique_lock<std::mutex>& rendererLock)
{
    // A data source that forgets a field leaves it zero, not whatever the stack held.
    ShadingCorrectionParameter shadingCorrection {};
    DistortionCorrectionParameter distortionCorrection {};
    RequestedCorrections requested;
    requested.shading = dataSource->shouldPerformShadingCorrection(shadingCorrection);
    requested.distortion = dataSource->shouldPerformDistortionCorrection(distortionCorrection);
    if (!requested.shading && !requested.distortion)
    {
        return requested;
    }

    const RecordingFormat format = retrieveRecordingFormat();
    const FrameData frameData = retrieveFrameData();
    const CorrectionData::Frame frame = retrieveCorrectionFrameData(frameData);
    checkFrameDimensions(frameData);
    checkAspectRatio(frameData, format);
    checkFrameImageRadius(frameData, format);

    // Held until the caller has used the renderers: another Core object on another thread must
    // not reconfigure them in between.
    rendererLock = std::unique_lock<std::mutex>(rendererAccessLock);
    if (!shadingRendererHolder.get())
    {
        shadingRendererHolder.create([] { return std::make_unique<Renderer::ShadingRenderer>(); });
    }
    if (!distortionRendererHolder.get())
    {
        distortionRendererHolder.create(
            [] { return std::make_unique<Renderer::DistortionRenderer>(); });
    }
    if (requested.shading)
    {
        configureShading(shadingRenderer().parameter, shadingCorrection, frameData, format, frame);
    }
    if (requested.distortion)
    {
        configureDistortion(
            distortionRenderer().parameter, distortionCorrection, frameData, format, frame);
    }
    return requested;
}

void Core::CorePrivate::frameSize(uint32_t& width, uint32_t& height)
{
    std::unique_lock<std::mutex> rendererLock;
    const RequestedCorrections requested = prepareRendererIfNeeded(rendererLock);
    if (requested.shading && requested.distortion)
    {
        throw Exception("It is not possible to calculate the frame size for both shading and "
                        "distortion correction.");
    }
    if (requested.shading)
    {
        shadingRenderer().frameSize(width, height);
    }
    else if (requested.distortion)
    {
        distortionRenderer().frameSize(width, height);
    }
}

void Core::CorePrivate::render(const float* input, float* output, size_t size)
{
    std::unique_lock<std::mutex> rendererLock;
    const RequestedCorrections requested = prepareRendererIfNeeded(rendererLock);
    if (!requested.shading && !requested.distortion)
    {
        return;
    }
    assert(output);

    const bool shadingMap = requested.shading && shadingRenderer().parameter.renderMap;
    const bool distortionMap = requested.distortion && distortionRenderer().parameter.renderMap;
    // A map from either with both corrections would hand the shading result, or a null input,
    // to the other renderer: there is no single map for the chain.
    if (requested.shading && requested.distortion && (shadingMap || distortionMap))
    {
        throw Exception("It is not possible to generate a single map for both shading and "
                        "distortion correction.");
    }
    if ((shadingMap || distortionMap) && input)
    {
        throw Exception(
            "Input buffer is required to be set to nullptr whenever map rendering is requested.");
    }
    // The kernels index the whole frame: a smaller buffer would be read and written out of bounds.
    const uint32_t width = requested.shading ? shadingRenderer().parameter.currentWidth
                                             : distortionRenderer().parameter.currentWidth;
    const uint32_t height = requested.shading ? shadingRenderer().parameter.currentHeight
                                              : distortionRenderer().parameter.currentHeight;
    const uint64_t requiredSize = uint64_t(width) * height * bytesPerPixel;
    if (size < requiredSize)
    {
        throw Exception("The frame buffer is smaller than the current frame.",
            ExceptionDetail::DetailLines()
                .unquoted("Current Frame Resolution: ", resolutionText(width, height))
                .unquoted("Required Buffer Size: ", text(requiredSize, " bytes"))
                .unquoted("Buffer Size: ", text(size, " bytes"))
                .str());
    }

    // Rounded up, not down: the renderers copy all `size` bytes in and out of it.
    std::vector<float> intermediate;
    if (requested.shading && requested.distortion)
    {
        intermediate.assign((size + sizeof(float) - 1) / sizeof(float), 0.0f);
    }
    float* shadingOutput = intermediate.empty() ? output : intermediate.data();
    const float* distortionInput = intermediate.empty() ? input : intermediate.data();
    if (requested.shading)
    {
        shadingRenderer().render(input, shadingOutput, size);
    }
    if (requested.distortion)
    {
        distortionRenderer().render(distortionInput, output, size);
    }
}

void Core::CorePrivate::recordingFormat(RecordingFormat& recordingFormat)
{
    recordingFormat = extendedManagedContainer().recordingFormat();
}

} // namespace Core
