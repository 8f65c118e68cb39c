// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Core/CoreDataSource.h"

namespace TestSupport
{

/// A CoreDataSource that gives whatever answers a test sets and records the questions asked.
/// An absent answer makes the question return false. Needs no test framework, so benchmarks
/// use it too.
class TestCoreDataSource : public Core::CoreDataSource
{
public:
    struct Answers
    {
        std::optional<Core::ShadingCorrectionParameter> shadingCorrection;
        std::optional<Core::DistortionCorrectionParameter> distortionCorrection;
        std::optional<std::string> frameMetadata;
        std::optional<std::string> correctionFilePath;
        std::optional<std::string> clipFileName;
        std::optional<std::string> clipFilePath;
        std::optional<Core::FrameData> frameData;
        std::optional<RecordingFormatDatabase::RecordingFormat> recordingFormat;
    };

    Answers answers;
    /// Names of the operations called, in call order.
    mutable std::vector<std::string> questions;

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override;
    bool frameMetadata(char* buffer, size_t capacity) const override;
    bool correctionFilePath(char* buffer, size_t capacity) const override;
    bool clipFileName(char* buffer, size_t capacity) const override;
    bool clipFilePath(char* buffer, size_t capacity) const override;
    bool frameData(Core::FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat) const override;
};

/// A frame description with every field set.
Core::FrameData makeFrameData(uint32_t width, uint32_t height, uint32_t frameNumber = 0,
    float framesPerSecond = 0.0f, const std::string& startTimecode = "", float overscan = 0.0f);

} // namespace TestSupport
