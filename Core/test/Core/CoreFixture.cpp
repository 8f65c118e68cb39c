// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CoreFixture.h"

#include <cmath>

namespace CoreTest
{

Subject::Subject()
{
    auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
    source = dataSource.get();
    core = std::make_unique<Core::Core>(std::move(dataSource));
}

void Subject::useCorrectionFile(const std::string& path, const std::string& clipFileName)
{
    source->answers.correctionFilePath = path;
    source->answers.clipFileName = clipFileName;
    source->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, false };
    source->answers.frameData = TestSupport::makeFrameData(frameWidth, frameHeight);
}

void Subject::requestCorrections(
    bool shading, bool shadingReverse, bool distortion, bool distortionReverse)
{
    source->answers.shadingCorrection.reset();
    source->answers.distortionCorrection.reset();
    if (shading)
    {
        source->answers.shadingCorrection
            = Core::ShadingCorrectionParameter { shadingReverse, false };
    }
    if (distortion)
    {
        source->answers.distortionCorrection
            = Core::DistortionCorrectionParameter { distortionReverse, false };
    }
}

float Subject::shadingPercent(const Core::FrameData& frameData)
{
    source->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, true };
    source->answers.frameData = frameData;
    std::vector<float> map(size_t(frameData.width) * frameData.height * 4, -1.0f);
    if (!core->render(nullptr, map.data(), map.size() * sizeof(float)))
    {
        ADD_FAILURE() << detailedError();
    }
    // Removing shading multiplies by 100 / shading.
    return 100.0f / map[0];
}

std::string Subject::briefError() const
{
    std::vector<char> buffer(4096, '\0');
    return core->briefErrorDescription(buffer.data(), buffer.size()) ? buffer.data() : "(none)";
}

std::string Subject::detailedError() const
{
    std::vector<char> buffer(16384, '\0');
    return core->detailedErrorDescription(buffer.data(), buffer.size()) ? buffer.data() : "(none)";
}

std::string CoreFixture::writeCorrectionFile(
    const std::string& name, const TestSupport::TestCorrectionFile& file) const
{
    return directory.writeFile(name, file.text());
}

TestSupport::TestCorrectionFile::Frame uniformFrame(
    uint32_t frameNumber, float shading, const std::string& timecode)
{
    return { frameNumber, { shading, shading, shading, shading, shading, shading }, {}, timecode };
}

TestSupport::TestCorrectionFile::Frame lensFrame(uint32_t frameNumber)
{
    return { frameNumber, { 100.0f, 97.5f, 90.0f, 78.0f, 68.0f, 55.0f },
        { 0.0f, -2.0f, -8.5f, -18.0f, -26.0f, -38.0f }, "" };
}

std::vector<float> syntheticFrame(uint32_t width, uint32_t height)
{
    std::vector<float> pixels(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            float* pixel = &pixels[(size_t(y) * width + x) * 4];
            pixel[0] = 0.2f + 0.6f * float(x) / float(width);
            pixel[1] = 0.2f + 0.6f * float(y) / float(height);
            pixel[2] = 0.5f + 0.3f * std::sin(0.05f * float(x)) * std::cos(0.07f * float(y));
            pixel[3] = 1.0f - 0.5f * float(x + y) / float(width + height);
        }
    }
    return pixels;
}

} // namespace CoreTest
