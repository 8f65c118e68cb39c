// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Core/Core.h"
#include "CoreFixture.h"

using CoreTest::CoreFixture;
using CoreTest::frameHeight;
using CoreTest::frameWidth;
using CoreTest::Subject;
using TestSupport::makeFrameData;
using TestSupport::TestCorrectionFile;

namespace
{

const std::vector<std::string> correctionQuestions
    = { "shouldPerformShadingCorrection", "shouldPerformDistortionCorrection" };

size_t frameBytes(uint32_t width, uint32_t height) { return size_t(width) * height * 16; }

} // namespace

TEST_F(CoreFixture, NeitherCorrectionAsksNothingElseAndTouchesNothing)
{
    Subject subject;
    uint32_t width = 7;
    uint32_t height = 9;
    EXPECT_TRUE(subject.core->frameSize(width, height));
    EXPECT_EQ(width, 7u);
    EXPECT_EQ(height, 9u);

    std::vector<float> input(4, 0.5f);
    std::vector<float> output(4, -3.0f);
    EXPECT_TRUE(subject.core->render(input.data(), output.data(), 16));
    EXPECT_EQ(output, std::vector<float>(4, -3.0f));

    std::vector<std::string> expected = correctionQuestions;
    expected.insert(expected.end(), correctionQuestions.begin(), correctionQuestions.end());
    EXPECT_EQ(subject.source->questions, expected);
}

TEST_F(CoreFixture, AsksForClipIdentityThenFormatThenFrameOncePerCall)
{
    TestCorrectionFile file;
    file.frames = { CoreTest::uniformFrame(0, 80.0f) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("A001C001.tlcf", file));
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_TRUE(subject.core->frameSize(width, height)) << subject.detailedError();
    EXPECT_EQ(width, frameWidth);
    EXPECT_EQ(height, frameHeight);

    std::vector<std::string> expected = correctionQuestions;
    expected.insert(expected.end(),
        { "correctionFilePath", "clipFileName", "frameMetadata", "clipFilePath", "recordingFormat",
            "frameData" });
    EXPECT_EQ(subject.source->questions, expected);

    // recordingFormat asks only for the clip identity.
    subject.source->questions.clear();
    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(subject.core->recordingFormat(format));
    EXPECT_EQ(subject.source->questions,
        (std::vector<std::string> {
            "correctionFilePath", "clipFileName", "frameMetadata", "clipFilePath" }));
}

TEST_F(CoreFixture, DescriptionsAreKeptUntilTheNextCallAndNeverTruncated)
{
    Subject subject;
    char buffer[128];
    EXPECT_FALSE(subject.core->briefErrorDescription(buffer, sizeof buffer));
    EXPECT_FALSE(subject.core->detailedErrorDescription(buffer, sizeof buffer));

    subject.source->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, false };
    subject.source->answers.correctionFilePath = "/nowhere/x.tlcf";
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_FALSE(subject.core->frameSize(width, height));

    const std::string brief = "There is some clip and correction file related data missing.";
    const std::string detailed = brief + "\nCorrection File Path: \"/nowhere/x.tlcf\"\n";
    EXPECT_EQ(subject.detailedError(), detailed);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(subject.core->briefErrorDescription(buffer, brief.size()));
    EXPECT_EQ(buffer[0], '#');
    EXPECT_TRUE(subject.core->briefErrorDescription(buffer, brief.size() + 1));
    EXPECT_EQ(std::string(buffer), brief);
    // Reading does not consume.
    EXPECT_TRUE(subject.core->briefErrorDescription(buffer, brief.size() + 1));

    // The next call starts clean, also when it succeeds.
    subject.source->answers.shadingCorrection.reset();
    EXPECT_TRUE(subject.core->frameSize(width, height));
    EXPECT_FALSE(subject.core->briefErrorDescription(buffer, sizeof buffer));
    EXPECT_FALSE(subject.core->detailedErrorDescription(buffer, sizeof buffer));
}

TEST(CoreMetadataKeys, LooksKeysUpWithoutTruncating)
{
    char key[64];
    ASSERT_TRUE(Core::Core::metadataKeyForClipFileName("arri", "mxf", key, sizeof key));
    EXPECT_STREQ(key, "arri/camera/CameraClipName");
    const std::string timecodeKey = "r3d/start_absolute_timecode";
    std::memset(key, '#', sizeof key);
    EXPECT_FALSE(Core::Core::metadataKeyForTimecode("RED", "R3D", key, timecodeKey.size()));
    EXPECT_EQ(key[0], '#');
    ASSERT_TRUE(Core::Core::metadataKeyForTimecode("RED", "R3D", key, timecodeKey.size() + 1));
    EXPECT_EQ(std::string(key), timecodeKey);
    EXPECT_FALSE(Core::Core::metadataKeyForClipFileName("RED", "EXR", key, sizeof key));
    EXPECT_FALSE(Core::Core::metadataKeyForTimecode("Unknown", "MOV", key, sizeof key));
}

TEST_F(CoreFixture, RecordingFormatComesFromTheHeaderOrTheDatabase)
{
    struct Row
    {
        const char* camera;
        const char* model;
        const char* sensorWidth;
        RecordingFormatDatabase::RecordingFormat expected;
    };
    const Row rows[] = {
        // Complete header: no database query (the camera is not even in the database).
        { "Nobody", "Nothing", "23.76", { 23.76f, 13.365f, 1920, 1080, 13.6305f } },
        // Only ALEXA LF "LF 16:9 HD" has this resolution.
        { "ARRI", "ALEXA LF", "0", { 31.68f, 17.82f, 1920, 1080, 18.17398f } },
        // AMIRA has two HD formats: no unique completion.
        { "ARRI", "AMIRA", "0", { 0.0f, 0.0f, 1920, 1080, 0.0f } },
        { "Nobody", "Nothing", "0", { 0.0f, 0.0f, 1920, 1080, 0.0f } },
        // A sensor width that does not convert reads as 0.
        { "ARRI", "ALEXA LF", "2mm", { 31.68f, 17.82f, 1920, 1080, 18.17398f } },
    };
    int index = 0;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(std::string(row.model) + " " + row.sensorWidth);
        TestCorrectionFile file;
        file.cameraManufacturer = row.camera;
        file.cameraModel = row.model;
        file.sensorWidth = row.sensorWidth;
        file.frames = { CoreTest::uniformFrame(0, 80.0f) };
        Subject subject;
        subject.useCorrectionFile(
            writeCorrectionFile("format" + std::to_string(index++) + ".tlcf", file));
        RecordingFormatDatabase::RecordingFormat format;
        ASSERT_TRUE(subject.core->recordingFormat(format)) << subject.detailedError();
        EXPECT_NEAR(format.imageAreaWidth, row.expected.imageAreaWidth, 1e-4);
        EXPECT_NEAR(format.imageAreaHeight, row.expected.imageAreaHeight, 1e-4);
        EXPECT_EQ(format.clipResolutionWidth, row.expected.clipResolutionWidth);
        EXPECT_EQ(format.clipResolutionHeight, row.expected.clipResolutionHeight);
        EXPECT_NEAR(format.imageAreaRadius, row.expected.imageAreaRadius, 1e-4);
    }
}

TEST_F(CoreFixture, RecordingFormatQueryIgnoresTheManualChoiceThatRenderingUses)
{
    TestCorrectionFile file;
    file.sensorWidth = "0";
    file.cameraModel = "AMIRA";
    file.frames = { CoreTest::uniformFrame(0, 80.0f) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("manual.tlcf", file));
    uint32_t width = 0;
    uint32_t height = 0;
    ASSERT_FALSE(subject.core->frameSize(width, height));
    EXPECT_EQ(subject.detailedError(),
        "There is no valid data available for the recording format.\n"
        "Image Area Size: 0x0 mm\nClip Resolution: 1920x1080 px\nImage Radius: 0 mm\n");

    subject.source->answers.recordingFormat
        = RecordingFormatDatabase::RecordingFormat { 23.76f, 13.37f, 1920, 1080, 13.63f };
    EXPECT_TRUE(subject.core->frameSize(width, height)) << subject.detailedError();
    RecordingFormatDatabase::RecordingFormat format;
    ASSERT_TRUE(subject.core->recordingFormat(format));
    EXPECT_EQ(format.imageAreaRadius, 0.0f);

    subject.source->answers.recordingFormat
        = RecordingFormatDatabase::RecordingFormat { 23.76f, 13.37f, 1920, 0, 13.63f };
    EXPECT_FALSE(subject.core->frameSize(width, height));
    EXPECT_EQ(subject.detailedError(),
        "There is no valid data available for the recording format.\n"
        "Image Area Size: 23.76x13.37 mm\nClip Resolution: 1920x0 px\nImage Radius: 13.63 mm\n");
}

TEST_F(CoreFixture, NonFiniteRecordingFormatsAreRefused)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    using Format = RecordingFormatDatabase::RecordingFormat;
    struct Row
    {
        const char* sensorWidth;
        std::optional<Format> manualFormat;
        float overscan;
        const char* expectedDetails;
    };
    const Row rows[] = {
        { "inf", std::nullopt, 0.0f,
            "Image Area Size: infxinf mm\nClip Resolution: 1920x1080 px\nImage Radius: inf mm\n" },
        { "23.76", Format { inf, 13.37f, 1920, 1080, 13.63f }, 0.0f,
            "Image Area Size: infx13.37 mm\nClip Resolution: 1920x1080 px\n"
            "Image Radius: 13.63 mm\n" },
        { "23.76", Format { 23.76f, nan, 1920, 1080, 13.63f }, 0.0f,
            "Image Area Size: 23.76xnan mm\nClip Resolution: 1920x1080 px\n"
            "Image Radius: 13.63 mm\n" },
        { "23.76", Format { 23.76f, 13.37f, 1920, 1080, inf }, 0.0f,
            "Image Area Size: 23.76x13.37 mm\nClip Resolution: 1920x1080 px\n"
            "Image Radius: inf mm\n" },
        // The frame's image radius, widened by the overscan, must be finite too.
        { "23.76", std::nullopt, inf,
            "Image Area Size: 23.76x13.365 mm\nClip Resolution: 1920x1080 px\n"
            "Image Radius: inf mm\n" },
        { "23.76", std::nullopt, nan,
            "Image Area Size: 23.76x13.365 mm\nClip Resolution: 1920x1080 px\n"
            "Image Radius: nan mm\n" },
    };
    const std::vector<float> input = CoreTest::syntheticFrame(frameWidth, frameHeight);
    int index = 0;
    for (const Row& row : rows)
    {
        SCOPED_TRACE(index);
        TestCorrectionFile file;
        file.sensorWidth = row.sensorWidth;
        file.frames = { CoreTest::uniformFrame(0, 80.0f) };
        Subject subject;
        subject.useCorrectionFile(
            writeCorrectionFile("nonFinite" + std::to_string(index++) + ".tlcf", file));
        subject.source->answers.recordingFormat = row.manualFormat;
        subject.source->answers.frameData
            = makeFrameData(frameWidth, frameHeight, 0, 0.0f, "", row.overscan);
        subject.requestCorrections(true, false, true, false);
        std::vector<float> output(input.size(), -7.0f);
        EXPECT_FALSE(
            subject.core->render(input.data(), output.data(), frameBytes(frameWidth, frameHeight)));
        EXPECT_EQ(subject.detailedError(),
            std::string("There is no valid data available for the recording format.\n")
                + row.expectedDetails);
        EXPECT_EQ(output, std::vector<float>(input.size(), -7.0f));
    }
}

TEST_F(CoreFixture, FrameHeightMayDifferByOnePixelFromTheFormatsAspectRatio)
{
    TestCorrectionFile file;
    file.clipWidth = 3840;
    file.clipHeight = 2160;
    file.frames = { CoreTest::uniformFrame(0, 80.0f) };
    Subject subject;
    subject.useCorrectionFile(writeCorrectionFile("aspect.tlcf", file));
    for (uint32_t height : { 1080u, 1081u, 1079u })
    {
        subject.source->answers.frameData = makeFrameData(1920, height);
        uint32_t width = 0;
        uint32_t newHeight = 0;
        EXPECT_TRUE(subject.core->frameSize(width, newHeight)) << height;
        EXPECT_EQ(newHeight, height);
    }
    subject.source->answers.frameData = makeFrameData(1920, 1082);
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_FALSE(subject.core->frameSize(width, height));
    EXPECT_EQ(subject.detailedError(),
        "Aspect ratio of the current frame is not as expected. Recommended resolution is 1920x1080 "
        "px.\nCurrent Frame Resolution: 1920x1082 px\nRecording Format Resolution: 3840x2160 px\n");
}

TEST_F(CoreFixture, FailuresReachTheCallerWithTheirTexts)
{
    TestCorrectionFile file;
    file.frames = { CoreTest::uniformFrame(5, 80.0f) };
    const std::string path = writeCorrectionFile("failures.tlcf", file);
    const std::string clipPath = directory.writeFile("a/b/c/d/e/f/B002C003.mov", "");

    struct Row
    {
        const char* name;
        std::function<void(TestSupport::TestCoreDataSource::Answers&)> change;
        bool renderCall; // else frameSize
        std::string expectedDetailed;
    };
    const Row rows[] = {
        { "no identity at all",
            [](auto& answers)
            {
                answers.correctionFilePath.reset();
                answers.clipFileName.reset();
            },
            false, "There is some clip and correction file related data missing.\n" },
        { "clip name without file", [](auto& answers) { answers.correctionFilePath.reset(); },
            false,
            "There is some clip and correction file related data missing.\n"
            "Clip File Name: \"A001C001.mov\"\n" },
        { "empty texts count as missing",
            [](auto& answers)
            {
                answers.correctionFilePath = "";
                answers.frameMetadata = "";
                answers.clipFilePath = "";
            },
            false,
            "There is some clip and correction file related data missing.\n"
            "Clip File Name: \"A001C001.mov\"\n" },
        { "no frame data", [](auto& answers) { answers.frameData.reset(); }, false,
            "There is some frame related data missing.\n" },
        { "frame before the first",
            [](auto& answers) { answers.frameData = makeFrameData(frameWidth, frameHeight, 4); },
            false,
            "Metadata for the frame is not available.\nClip File Name: \"A001C001.mov\"\n"
            "Correction File Path: \""
                + path + "\"\nFrame Number: 4\n" },
        { "bad start timecode",
            [](auto& answers)
            { answers.frameData = makeFrameData(frameWidth, frameHeight, 0, 25.0f, "1:2:3"); },
            false,
            "Timecode object could not be constructed due to invalid format.\n"
            "Timecode String: \"1:2:3\"\nFrames per Second: \"25\"\n" },
        { "file of another clip", [](auto& answers) { answers.clipFileName = "Other.mov"; }, false,
            "Header of the metadata is not available. Correction file does not belong to the "
            "clip.\nClip File Name: \"Other.mov\"\nCorrection File Path: \""
                + path + "\"\n" },
        { "clip without correction file",
            [&](auto& answers)
            {
                answers.correctionFilePath.reset();
                answers.clipFilePath = clipPath;
            },
            false,
            "Header of the metadata is not available. Correction file could not be found.\n"
            "Clip File Path: \""
                + clipPath + "\"\n" },
        { "bad JSON",
            [](auto& answers)
            {
                answers.correctionFilePath.reset();
                answers.frameMetadata = "{";
            },
            false, "Metadata for the frame is not available.\nJSON String: \"{\"\n" },
        { "zero width", [](auto& answers) { answers.frameData = makeFrameData(0, frameHeight, 5); },
            false, "The current frame has no pixels.\nCurrent Frame Resolution: 0x108 px\n" },
        { "frame size for both corrections",
            [](auto& answers) {
                answers.distortionCorrection = Core::DistortionCorrectionParameter { false, false };
            },
            false,
            "It is not possible to calculate the frame size for both shading and distortion "
            "correction.\n" },
        { "map from both",
            [](auto& answers)
            {
                answers.shadingCorrection = Core::ShadingCorrectionParameter { false, true };
                answers.distortionCorrection = Core::DistortionCorrectionParameter { false, true };
            },
            true,
            "It is not possible to generate a single map for both shading and distortion "
            "correction.\n" },
        { "map from one of both",
            [](auto& answers) {
                answers.distortionCorrection = Core::DistortionCorrectionParameter { false, true };
            },
            true,
            "It is not possible to generate a single map for both shading and distortion "
            "correction.\n" },
        { "map with an input",
            [](auto& answers) {
                answers.shadingCorrection = Core::ShadingCorrectionParameter { false, true };
            },
            true,
            "Input buffer is required to be set to nullptr whenever map rendering is "
            "requested.\n" },
        { "buffer smaller than the frame",
            [](auto& answers)
            { answers.frameData = makeFrameData(frameWidth * 2, frameHeight * 2, 5); },
            true,
            "The frame buffer is smaller than the current frame.\n"
            "Current Frame Resolution: 384x216 px\nRequired Buffer Size: 1327104 bytes\n"
            "Buffer Size: 331776 bytes\n" },
    };
    std::vector<float> input = CoreTest::syntheticFrame(frameWidth, frameHeight);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        Subject subject;
        subject.useCorrectionFile(path);
        subject.source->answers.frameData = makeFrameData(frameWidth, frameHeight, 5);
        row.change(subject.source->answers);
        std::vector<float> output(input.size(), -7.0f);
        uint32_t width = 0;
        uint32_t height = 0;
        const bool succeeded = row.renderCall
            ? subject.core->render(input.data(), output.data(), frameBytes(frameWidth, frameHeight))
            : subject.core->frameSize(width, height);
        EXPECT_FALSE(succeeded);
        EXPECT_EQ(subject.detailedError(), row.expectedDetailed);
        EXPECT_EQ(output, std::vector<float>(input.size(), -7.0f));
    }
}
