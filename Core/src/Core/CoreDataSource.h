// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>

#include "Core/DistortionCorrectionParameter.h"
#include "Core/FrameData.h"
#include "Core/ShadingCorrectionParameter.h"
#include "RecordingFormatDatabase/RecordingFormat.h"

namespace Core
{

/// The questions that Core::Core asks its caller about the current frame. The caller implements
/// it and hands it to Core::Core, which owns it from then on.
///
/// Core::Core asks anew on every frameSize, render and recordingFormat call and caches nothing,
/// so the answers may change between calls. All questions come from the thread that called
/// Core::Core, one at a time.
///
/// Text answers: the buffer holds `capacity` characters (Core::Core passes 4096, the first set
/// to NUL). Copy the text with its NUL only when all of it fits (length + 1 <= capacity), never
/// truncated; otherwise, or when there is no value or the value is empty, return false. A false
/// answer makes Core::Core ignore the buffer.
class CoreDataSource
{
public:
    virtual ~CoreDataSource() { }

    /// true: correct shading for this frame, with every field of `parameter` set.
    virtual bool shouldPerformShadingCorrection(ShadingCorrectionParameter& parameter) const = 0;
    /// true: correct distortion for this frame, with every field of `parameter` set.
    virtual bool shouldPerformDistortionCorrection(
        DistortionCorrectionParameter& parameter) const = 0;
    /// true: the frame's lens data as a JSON metadata string was copied into the buffer.
    virtual bool frameMetadata(char* buffer, size_t capacity) const = 0;
    /// true: the path of the correction file chosen for the clip was copied into the buffer.
    virtual bool correctionFilePath(char* buffer, size_t capacity) const = 0;
    /// true: the clip's file name (no directory) was copied into the buffer.
    virtual bool clipFileName(char* buffer, size_t capacity) const = 0;
    /// true: the clip's full file path was copied into the buffer.
    virtual bool clipFilePath(char* buffer, size_t capacity) const = 0;
    /// true: every field of `frameData` was set for the frame being processed.
    virtual bool frameData(FrameData& frameData) const = 0;
    /// true: the caller chose the recording format itself (a manual choice) and wrote it into
    /// `recordingFormat`, which arrives all zeros. false: use the one derived from the correction
    /// data.
    virtual bool recordingFormat(
        RecordingFormatDatabase::RecordingFormat& recordingFormat) const = 0;
};

} // namespace Core
