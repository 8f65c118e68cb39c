// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Core/CoreDataSource.h"

namespace LensCorrect
{

/// Where the library finds the clip's lens data. With a correction file, the file's header must
/// name the clip file name (the last component of `clipFilePath`); without one, the library
/// searches around `clipFilePath` for a file that does.
struct ClipIdentity
{
    std::string correctionFilePath; ///< Empty: search around the clip.
    std::string clipFilePath; ///< Never empty.
};

/// What the next library call is about. The tool rewrites it before every call; the data source
/// only reads it.
struct FrameRequest
{
    /// Set: correct shading, removing it (false) or adding it (true).
    std::optional<bool> shadingReverse;
    /// With shading: render the shading multiplier instead of correcting a frame.
    bool shadingMap = false;
    /// Set: correct distortion, removing it (false) or adding it (true).
    std::optional<bool> distortionReverse;
    Core::FrameData frame {};
    /// The frame's own lens data as the library's frame JSON; empty: the clip's correction file.
    std::string frameMetadata;
    /// The recording format of this call in place of the clip's: a buffer around a window of the
    /// recording, as a format of its own.
    std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;
};

/// The longest text the library takes from a data source: it asks with buffers of 4096
/// characters, the terminating NUL included.
constexpr size_t maximumLibraryTextLength = 4095;

/// The library's questions answered from the command line (clip, lens data, recording format)
/// and from the frame the tool is working on. A frame that carries its own lens data
/// (`FrameRequest::frameMetadata`) names no correction file and no clip, so that the library
/// takes that data and neither a named nor a searched correction file can win over it.
class LensDataSource : public Core::CoreDataSource
{
public:
    LensDataSource(ClipIdentity identity,
        std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat,
        std::shared_ptr<const FrameRequest> request);

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override;
    bool frameMetadata(char* buffer, size_t capacity) const override;
    bool correctionFilePath(char* buffer, size_t capacity) const override;
    bool clipFileName(char* buffer, size_t capacity) const override;
    bool clipFilePath(char* buffer, size_t capacity) const override;
    bool frameData(Core::FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat) const override;

private:
    const ClipIdentity identity;
    const std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat;
    const std::shared_ptr<const FrameRequest> request;
};

} // namespace LensCorrect
