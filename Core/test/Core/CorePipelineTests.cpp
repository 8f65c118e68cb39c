// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Core/Core.h"
#include "CoreFixture.h"
#include "CorrectionChainReference.h"
#include "Support/RendererReference.h"

using CoreTest::CoreFixture;
using CoreTest::frameHeight;
using CoreTest::frameWidth;
using CoreTest::Subject;
using CoreTest::uniformFrame;
using TestSupport::makeFrameData;
using TestSupport::TestCorrectionFile;

namespace
{

struct ChainCase
{
    const char* name;
    bool shading;
    bool shadingReverse;
    bool distortion;
    bool distortionReverse;
};

std::ostream& operator<<(std::ostream& stream, const ChainCase& chainCase)
{
    return stream << chainCase.name;
}

std::vector<float> render(Subject& subject, const std::vector<float>& input)
{
    std::vector<float> output(input.size(), -1.0f);
    EXPECT_TRUE(subject.core->render(input.data(), output.data(), input.size() * sizeof(float)))
        << subject.detailedError();
    return output;
}

void expectNear(
    const std::vector<float>& actual, const std::vector<float>& expected, float tolerance)
{
    ASSERT_EQ(actual.size(), expected.size());
    size_t worst = 0;
    float worstError = 0.0f;
    for (size_t i = 0; i < actual.size(); ++i)
    {
        const float error = std::abs(actual[i] - expected[i]);
        if (!(error <= worstError))
        {
            worst = i;
            worstError = error;
        }
    }
    EXPECT_LE(worstError, tolerance)
        << "value " << worst << " (pixel " << worst / 4 << ", channel " << worst % 4
        << "): " << actual[worst] << " instead of " << expected[worst];
}

class CoreChain : public CoreFixture, public ::testing::WithParamInterface<ChainCase>
{
};

} // namespace

TEST_P(CoreChain, MatchesTheDoublePrecisionChain)
{
    const ChainCase& chainCase = GetParam();
    TestCorrectionFile file;
    file.clipWidth = 3840;
    file.clipHeight = 2160;
    file.sensorWidth = "26.4";
    file.frames = { uniformFrame(0, 50.0f), CoreTest::lensFrame(10) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("chain.tlcf", file));
    const float overscan = 4.0f;
    subject.source->answers.frameData
        = makeFrameData(frameWidth, frameHeight, 12, 0.0f, "", overscan);
    subject.requestCorrections(chainCase.shading, chainCase.shadingReverse, chainCase.distortion,
        chainCase.distortionReverse);
    const std::vector<float> input = CoreTest::syntheticFrame(frameWidth, frameHeight);
    const std::vector<float> output = render(subject, input);

    const CoreTest::FrameGeometry geometry { frameWidth, frameHeight, 3840, 2160,
        CoreTest::imageRadiusForHeader(26.4, 3840, 2160) * (1.0 + overscan / 100.0) };
    const TestCorrectionFile::Frame& lens = file.frames[1];
    std::vector<float> expected = input;
    if (chainCase.shading)
    {
        expected = TestSupport::referenceShading(
            CoreTest::shadingParameter(geometry, lens.shading, chainCase.shadingReverse), expected);
    }
    if (chainCase.distortion)
    {
        expected = TestSupport::referenceDistortion(
            CoreTest::distortionParameter(
                geometry, lens.radialDistortion, chainCase.distortionReverse),
            expected);
    }
    expectNear(output, expected, 2e-4f);
}

INSTANTIATE_TEST_SUITE_P(Corrections, CoreChain,
    ::testing::Values(ChainCase { "RemoveShading", true, false, false, false },
        ChainCase { "AddShading", true, true, false, false },
        ChainCase { "Undistort", false, false, true, false },
        ChainCase { "Distort", false, false, true, true },
        ChainCase { "RemoveShadingThenUndistort", true, false, true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CoreFixture, DistortionFrameSizeMakesRoomForTheUndistortedImage)
{
    TestCorrectionFile file;
    file.frames = { CoreTest::lensFrame(0) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("size.tlcf", file));
    subject.requestCorrections(false, false, true, false);
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_TRUE(subject.core->frameSize(width, height)) << subject.detailedError();
    // Undistorting barrel distortion pushes the corners outwards.
    EXPECT_GT(width, frameWidth);
    EXPECT_GT(height, frameHeight);
    EXPECT_NEAR(double(width) / height, 16.0 / 9.0, 0.02);
}

TEST_F(CoreFixture, JsonMetadataAndClipPathFindTheSameCorrection)
{
    TestCorrectionFile file;
    file.videoFileName = "C003C007.mov";
    file.frames = { CoreTest::lensFrame(0) };
    directory.writeFile("clips/C003C007.tlcf", file.text());
    const std::string clipPath = directory.writeFile("clips/C003C007.mov", "");
    const std::vector<float> input = CoreTest::syntheticFrame(frameWidth, frameHeight);

    Subject byClipPath;
    byClipPath.source->answers.clipFilePath = clipPath;
    byClipPath.source->answers.shadingCorrection
        = Core::ShadingCorrectionParameter { false, false };
    byClipPath.source->answers.frameData = makeFrameData(frameWidth, frameHeight);
    const std::vector<float> fromFile = render(byClipPath, input);

    Subject byJson;
    byJson.source->answers.frameMetadata = R"({
        "recordingFormat": {
            "camera": { "manufacturer": "ARRI", "model": "ALEXA Mini" },
            "clipResolution": { "width": 1920, "height": 1080 },
            "imageRadius": 13.6305
        },
        "frameData": { "interpolationPoints": {
            "heights": [0, 5, 10, 15, 18, 21.4],
            "shading": [100, 97.5, 90, 78, 68, 55],
            "radialDistortion": [0, -2, -8.5, -18, -26, -38]
        } }
    })";
    // Metadata wins over the clip path.
    byJson.source->answers.clipFilePath = "/no/such/clip.mov";
    byJson.source->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, false };
    byJson.source->answers.frameData = makeFrameData(frameWidth, frameHeight, 1234);
    expectNear(render(byJson, input), fromFile, 1e-4f);
    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(byJson.core->recordingFormat(format));
    EXPECT_NEAR(format.imageAreaRadius, 13.6305, 1e-4);
}

TEST_F(CoreFixture, FrameNumbersAreConvertedToTheCorrectionFrameRate)
{
    TestCorrectionFile file;
    file.frames = { uniformFrame(0, 90.0f), uniformFrame(50, 70.0f), uniformFrame(51, 60.0f) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("rates.tlcf", file));
    // 101 at 50 fps is 50.5 at 25 fps, truncated to 50.
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 101, 50.0f)), 70.0f, 1e-3);
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 101, 25.0f)), 60.0f, 1e-3);
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 101, 0.0f)), 60.0f, 1e-3);
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 49, 25.0f)), 90.0f, 1e-3);
}

TEST_F(CoreFixture, StartTimecodeSelectsFramesByTimecode)
{
    TestCorrectionFile file;
    file.tcFps = "23.976";
    file.frames
        = { uniformFrame(100, 90.0f, "10:00:00:00"), uniformFrame(124, 70.0f, "10:00:01:00") };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("timecodes.tlcf", file));
    // The clip starts 10 frames into the correction data; its frame 14 is 24 frames in.
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 13, 0.0f, "10:00:00:10")),
        90.0f, 1e-3);
    EXPECT_NEAR(
        subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 14, 0.0f, "10:00:00:10")),
        70.0f, 1e-3);
    // Without a start timecode the frame number is the correction frame number.
    EXPECT_NEAR(subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 123)), 90.0f, 1e-3);

    subject.source->answers.frameData
        = makeFrameData(frameWidth, frameHeight, 0, 0.0f, "09:59:59:23");
    std::vector<float> map(size_t(frameWidth) * frameHeight * 4);
    EXPECT_FALSE(subject.core->render(nullptr, map.data(), map.size() * sizeof(float)));
    EXPECT_EQ(subject.briefError(), "Metadata for the frame is not available.");
}

TEST_F(CoreFixture, ConsecutiveFramesReuseTheParsedFileUntilTheIdentityChanges)
{
    TestCorrectionFile file;
    file.frames = { uniformFrame(0, 80.0f) };
    const std::string path = writeCorrectionFile("reuse.tlcf", file);
    Subject subject;
    subject.useCorrectionFile(path);
    EXPECT_NEAR(subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 0)), 80.0f, 1e-3);

    // Edits on disk are not seen while the parsed file is in use, nor is its removal.
    file.frames = { uniformFrame(0, 40.0f) };
    writeCorrectionFile("reuse.tlcf", file);
    EXPECT_NEAR(subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 1)), 80.0f, 1e-3);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_NEAR(subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 2)), 80.0f, 1e-3);

    // Another file builds another container.
    file.frames = { uniformFrame(0, 25.0f) };
    subject.source->answers.correctionFilePath = writeCorrectionFile("other.tlcf", file);
    EXPECT_NEAR(subject.shadingPercent(makeFrameData(frameWidth, frameHeight, 3)), 25.0f, 1e-3);
}

TEST_F(CoreFixture, ObjectsOnSeveralThreadsRenderWhatEachRendersAlone)
{
    struct Clip
    {
        std::string path;
        bool shading;
        bool distortion;
        bool reverse;
    };
    std::vector<Clip> clips;
    for (int i = 0; i < 4; ++i)
    {
        TestCorrectionFile file;
        TestCorrectionFile::Frame frame = CoreTest::lensFrame(0);
        for (float& value : frame.shading)
        {
            value -= float(5 * i);
        }
        for (float& value : frame.radialDistortion)
        {
            value *= float(i + 1) / 2.0f;
        }
        file.frames = { frame };
        clips.push_back({ writeCorrectionFile("clip" + std::to_string(i) + ".tlcf", file), i != 1,
            i != 0, i == 2 });
    }
    const std::vector<float> input = CoreTest::syntheticFrame(frameWidth, frameHeight);
    auto renderClip = [&](const Clip& clip, int rounds)
    {
        Subject subject;
        subject.useCorrectionFile(clip.path);
        subject.requestCorrections(clip.shading, clip.reverse, clip.distortion, clip.reverse);
        std::vector<std::vector<float>> outputs;
        for (int round = 0; round < rounds; ++round)
        {
            outputs.push_back(render(subject, input));
        }
        return outputs;
    };

    std::vector<std::vector<float>> alone;
    for (const Clip& clip : clips)
    {
        alone.push_back(renderClip(clip, 1).front());
    }
    std::vector<std::vector<std::vector<float>>> together(clips.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < clips.size(); ++i)
    {
        threads.emplace_back([&, i] { together[i] = renderClip(clips[i], 6); });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    for (size_t i = 0; i < clips.size(); ++i)
    {
        for (const std::vector<float>& output : together[i])
        {
            EXPECT_TRUE(output == alone[i]) << "clip " << i;
        }
    }
}
