// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/ContainerManager/ContainerManager.h"
#include "CorrectionData/CorrectionDataExceptions.h"
#include "InMemoryContainerManagerDataSource.h"
#include "Support/ThrownDescription.h"

using CorrectionData::DataNotAvailableException;
using CorrectionData::Frame;
using CorrectionData::ManagedContainer;
using CorrectionDataTest::contentWithFrames;
using CorrectionDataTest::InMemoryContainerManagerDataSource;
using TestSupport::thrownDescription;

namespace
{

class ManagedContainerTest : public ::testing::Test
{
protected:
    ManagedContainerTest()
    {
        files.contentsByPath["/c/A001.tlcf"]
            = contentWithFrames({ { 5, "10:00:00:00" }, { 10, "" }, { 20, "" }, { 1000, "" } });
        files.contentsByPath["/c/B001.tlcf"] = contentWithFrames({ { 0, "" } }, "B001.mov");
        files.contentsByPath["/c/Late.tlcf"]
            = contentWithFrames({ { 4294967290u, "00:00:00:00" } });
        files.contentsByPath["/c/Empty.tlcf"] = contentWithFrames({});
        files.contentsByPath["/c/NoTimecode.tlcf"] = contentWithFrames({ { 0, "" } });
        files.pathsByClipFilePath["/c/A001.mov"] = "/c/A001.tlcf";
    }

    // Capacity 1: any other file read evicts the one before.
    std::shared_ptr<CorrectionData::ContainerManager> manager
        = std::make_shared<CorrectionData::ContainerManager>(
            std::make_unique<InMemoryContainerManagerDataSource>(files), 1);
    InMemoryContainerManagerDataSource::Files files;
};

const char* const validJson = R"({"recordingFormat": {"camera": {"manufacturer": "M", "model": "X"},
    "clipResolution": {"width": 1920, "height": 1080}, "imageRadius": 13.6305},
    "frameData": {"interpolationPoints": {"heights": [0, 5, 10, 15, 18, 21.4],
    "shading": [100, 99, 98, 97, 96, 95], "radialDistortion": [0, 1, 2, 3, 4, 5]}}})";

} // namespace

TEST_F(ManagedContainerTest, FrameNumberYieldsGreatestFrameNotAbove)
{
    ManagedContainer container("A001.mov", "/c/A001.tlcf", manager);
    const std::pair<uint32_t, uint32_t> cases[] = { { 5, 5 }, { 9, 5 }, { 15, 10 }, { 20, 20 },
        { 999, 20 }, { 1000, 1000 }, { 4294967295u, 1000 } };
    for (const auto& [number, expected] : cases)
    {
        Frame frame {};
        container.frameData(number, frame);
        EXPECT_EQ(frame.frameNumber, expected) << number;
    }
    Frame untouched {};
    untouched.frameNumber = 77;
    EXPECT_EQ(
        thrownDescription<DataNotAvailableException>([&] { container.frameData(4u, untouched); }),
        "Metadata for the frame is not available.\nClip File Name: \"A001.mov\"\n"
        "Correction File Path: \"/c/A001.tlcf\"\nFrame Number: 4\n");
    EXPECT_EQ(untouched.frameNumber, 77u);
    EXPECT_EQ(files.readCounts["/c/A001.tlcf"], 1);
}

TEST_F(ManagedContainerTest, TimecodeCountsFramesFromFirstFrame)
{
    ManagedContainer container("/c/A001.mov", manager);
    Frame frame {};
    container.frameData(Timecode::Timecode("10:00:00:05", 25.0f), frame); // 5 + 5
    EXPECT_EQ(frame.frameNumber, 10u);
    container.frameData(Timecode::Timecode("10:00:01:00", 0.0f), frame); // 5 + 25
    EXPECT_EQ(frame.frameNumber, 20u);

    const struct
    {
        const char* correctionFilePath;
        const char* timecode;
        float rate;
    } failures[] = {
        { "/c/A001.tlcf", "09:59:59:24", 25.0f }, // before the first frame
        { "/c/A001.tlcf", "10:00:01:00", 30.0f }, // another rate
        { "/c/NoTimecode.tlcf", "10:00:00:00", 25.0f }, { "/c/Empty.tlcf", "10:00:00:00", 25.0f },
        { "/c/Late.tlcf", "00:00:01:00", 25.0f }, // frame number beyond 32 bits
    };
    for (const auto& failure : failures)
    {
        ManagedContainer chosen("A001.mov", failure.correctionFilePath, manager);
        const Timecode::Timecode timecode(failure.timecode, failure.rate);
        EXPECT_EQ(thrownDescription<DataNotAvailableException>(
                      [&] { chosen.frameData(timecode, frame); }),
            std::string("Metadata for the frame is not available.\nClip File Name: "
                        "\"A001.mov\"\nCorrection File Path: \"")
                + failure.correctionFilePath + "\"\nTimecode: \"" + failure.timecode + "\"\n");
    }
}

TEST_F(ManagedContainerTest, ContentFailuresNameTheRequest)
{
    ManagedContainer byPath("/c/Z.mov", manager);
    CorrectionData::Header header {};
    Frame frame {};
    EXPECT_EQ(thrownDescription<DataNotAvailableException>([&] { byPath.headerData(header); }),
        "Header of the metadata is not available. Correction file could not be found.\n"
        "Clip File Path: \"/c/Z.mov\"\n");
    EXPECT_EQ(thrownDescription<DataNotAvailableException>([&] { byPath.frameData(7u, frame); }),
        "Metadata for the frame is not available. Correction file could not be found.\n"
        "Clip File Path: \"/c/Z.mov\"\nFrame Number: 7\n");

    ManagedContainer mismatch("B001.mov", "/c/A001.tlcf", manager);
    const Timecode::Timecode timecode("00:00:00:01", 25.0f);
    EXPECT_EQ(
        thrownDescription<DataNotAvailableException>([&] { mismatch.frameData(timecode, frame); }),
        "Metadata for the frame is not available. Correction file does not belong to the clip.\n"
        "Clip File Name: \"B001.mov\"\nCorrection File Path: \"/c/A001.tlcf\"\n"
        "Timecode: \"00:00:00:01\"\n");
}

TEST_F(ManagedContainerTest, ExpiredContentIsObtainedAgain)
{
    ManagedContainer container("A001.mov", "/c/A001.tlcf", manager);
    ManagedContainer other("B001.mov", "/c/B001.tlcf", manager);
    CorrectionData::Header header {};
    container.headerData(header);
    other.headerData(header); // evicts A001 from the cache of one
    EXPECT_EQ(header.videoFileName, "B001.mov");
    container.headerData(header);
    EXPECT_EQ(header.videoFileName, "A001.mov");
    EXPECT_EQ(files.readCounts["/c/A001.tlcf"], 2);
}

TEST(ManagedContainer, JsonAnswersEveryRequestWithItsOneFrame)
{
    ManagedContainer container(validJson);
    Frame byNumber {}, byTimecode {};
    container.frameData(123u, byNumber);
    container.frameData(Timecode::Timecode("01:00:00:00", 30.0f), byTimecode);
    EXPECT_EQ(byNumber.shading, byTimecode.shading);
    EXPECT_EQ(byNumber.shading[5], 95.0f);
    CorrectionData::Header header {};
    container.headerData(header);
    EXPECT_EQ(header.clipWidth, 1920u);
}

TEST(ManagedContainer, JsonParsesOnceUnderConcurrentFirstCalls)
{
    ManagedContainer container(validJson);
    std::vector<CorrectionData::Header> headers(4);
    std::vector<std::thread> threads;
    for (auto& header : headers)
    {
        threads.emplace_back([&] { container.headerData(header); });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    for (const auto& header : headers)
    {
        EXPECT_EQ(header.cameraModel, "X");
    }
}

TEST(ManagedContainer, MalformedJsonFailsOnEveryRequest)
{
    ManagedContainer container("{\"recordingFormat\": ");
    CorrectionData::Header header {};
    // A once-flag set by the failed first parse would let the second call pass with no data.
    for (int call = 0; call < 2; ++call)
    {
        EXPECT_EQ(
            thrownDescription<DataNotAvailableException>([&] { container.headerData(header); }),
            "Metadata for the frame is not available.\nJSON String: \"{\"recordingFormat\": \"\n")
            << "call " << call;
    }
}
