// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Correction/LensDataSource.h"

#include <utility>

#include "Common/TextHelpers.h"
#include "Core/TextCopy.h"

namespace LensCorrect
{

namespace
{

    /// An empty text is no answer: the library takes a true answer as a name to look for.
    bool copy(const std::string& text, char* buffer, size_t capacity)
    {
        return !text.empty() && Core::copyWholeText(text, buffer, capacity);
    }

} // namespace

LensDataSource::LensDataSource(ClipIdentity identity,
    std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat,
    std::shared_ptr<const FrameRequest> request)
    : identity(std::move(identity))
    , manualRecordingFormat(manualRecordingFormat)
    , request(std::move(request))
{
}

bool LensDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const
{
    parameter = { request->shadingReverse.value_or(false), request->shadingMap };
    return request->shadingReverse.has_value();
}

bool LensDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const
{
    // ST-maps come from rendering a coordinate ramp, never from the library's identity map.
    parameter = { request->distortionReverse.value_or(false), false };
    return request->distortionReverse.has_value();
}

bool LensDataSource::frameMetadata(char* buffer, size_t capacity) const
{
    return copy(request->frameMetadata, buffer, capacity);
}

bool LensDataSource::correctionFilePath(char* buffer, size_t capacity) const
{
    return request->frameMetadata.empty() && copy(identity.correctionFilePath, buffer, capacity);
}

bool LensDataSource::clipFileName(char* buffer, size_t capacity) const
{
    // Only the correction file is checked against a name; without one the library searches
    // around the clip's path and checks the name at its end.
    return request->frameMetadata.empty() && !identity.correctionFilePath.empty()
        && copy(fileName(identity.clipFilePath), buffer, capacity);
}

bool LensDataSource::clipFilePath(char* buffer, size_t capacity) const
{
    return request->frameMetadata.empty() && copy(identity.clipFilePath, buffer, capacity);
}

bool LensDataSource::frameData(Core::FrameData& frameData) const
{
    frameData = request->frame;
    return true;
}

bool LensDataSource::recordingFormat(
    RecordingFormatDatabase::RecordingFormat& recordingFormat) const
{
    if (request->recordingFormat)
    {
        recordingFormat = *request->recordingFormat;
        return true;
    }
    if (!manualRecordingFormat)
    {
        return false;
    }
    recordingFormat = *manualRecordingFormat;
    return true;
}

} // namespace LensCorrect
