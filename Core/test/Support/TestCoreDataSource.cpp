// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/TestCoreDataSource.h"

#include <cassert>
#include <cstring>

#include "Core/TextCopy.h"

namespace TestSupport
{

namespace
{

    template <typename Record> bool answer(const std::optional<Record>& answer, Record& record)
    {
        if (answer)
        {
            record = *answer;
        }
        return answer.has_value();
    }

    bool answerText(const std::optional<std::string>& answer, char* buffer, size_t capacity)
    {
        return answer && Core::copyWholeText(*answer, buffer, capacity);
    }

} // namespace

bool TestCoreDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const
{
    questions.emplace_back("shouldPerformShadingCorrection");
    return answer(answers.shadingCorrection, parameter);
}

bool TestCoreDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const
{
    questions.emplace_back("shouldPerformDistortionCorrection");
    return answer(answers.distortionCorrection, parameter);
}

bool TestCoreDataSource::frameMetadata(char* buffer, size_t capacity) const
{
    questions.emplace_back("frameMetadata");
    return answerText(answers.frameMetadata, buffer, capacity);
}

bool TestCoreDataSource::correctionFilePath(char* buffer, size_t capacity) const
{
    questions.emplace_back("correctionFilePath");
    return answerText(answers.correctionFilePath, buffer, capacity);
}

bool TestCoreDataSource::clipFileName(char* buffer, size_t capacity) const
{
    questions.emplace_back("clipFileName");
    return answerText(answers.clipFileName, buffer, capacity);
}

bool TestCoreDataSource::clipFilePath(char* buffer, size_t capacity) const
{
    questions.emplace_back("clipFilePath");
    return answerText(answers.clipFilePath, buffer, capacity);
}

bool TestCoreDataSource::frameData(Core::FrameData& frameData) const
{
    questions.emplace_back("frameData");
    return answer(answers.frameData, frameData);
}

bool TestCoreDataSource::recordingFormat(
    RecordingFormatDatabase::RecordingFormat& recordingFormat) const
{
    questions.emplace_back("recordingFormat");
    return answer(answers.recordingFormat, recordingFormat);
}

Core::FrameData makeFrameData(uint32_t width, uint32_t height, uint32_t frameNumber,
    float framesPerSecond, const std::string& startTimecode, float overscan)
{
    Core::FrameData frameData {};
    assert(startTimecode.size() < sizeof frameData.startTimecode);
    frameData.frameNumber = frameNumber;
    frameData.framesPerSecond = framesPerSecond;
    std::memcpy(frameData.startTimecode, startTimecode.c_str(), startTimecode.size() + 1);
    frameData.width = width;
    frameData.height = height;
    frameData.overscan = overscan;
    return frameData;
}

} // namespace TestSupport
