// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstdio>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/ContainerManager/ContainerManager.h"
#include "CorrectionData/ContainerManager/CorrectionFileBasedContainerManagerDataSource.h"
#include "CorrectionData/CorrectionDataExceptions.h"
#include "CorrectionFile/CorrectionFileExceptions.h"
#include "Support/TemporaryDirectory.h"

using CorrectionData::Content;

namespace
{

/// A correction file as cameras write it: CR LF line ends, a line per frame from 10:00:00:00 at
/// 25 fps, shading[0] of every frame set to `marker` so that tests can tell versions apart.
std::string correctionFileText(const std::string& videoFileName, const std::string& clipName,
    float marker = 100.0f, unsigned frameCount = 400)
{
    std::string text = "HEADER_START\r\nlensManufacturer:=L\r\nlensTypeName:=Prime 35\r\n"
                       "lensSerialNumber:=1\r\nlensMinFocalLength:=35\r\nlensMaxFocalLength:=35\r\n"
                       "cameraManufacturer:=M\r\ncameraModel:=X\r\nsensorWidth:=24.89\r\n"
                       "clipName:="
        + clipName + "\r\nvideoFileName:=" + videoFileName
        + "\r\nclipDurationFrames:=400\r\nclipWidth:=4096\r\nclipHeight:=2160\r\ntcFps:=25\r\n"
          "tcDrop:=0\r\nenableLensShadingCorrection:=1\r\nshadingGamma:=1\r\n"
          "enableLensDistortionCorrection:=1\r\ndistortionZoom:=1\r\nHEADER_END\r\n"
          "frame;shading;radialDistortion;a;b;c;d;e;timecode\r\n";
    char line[160];
    for (unsigned frame = 0; frame < frameCount; ++frame)
    {
        std::snprintf(line, sizeof(line),
            "%u;%g,99,96,91,87,80;0,-0.5,-1,-1.5,-2,-2.5;0;0;0;0;0;10.00.%02u.%02u\r\n", frame,
            static_cast<double>(marker), frame / 25 % 60, frame % 25);
        text += line;
    }
    return text;
}

std::unique_ptr<CorrectionData::CorrectionFileBasedContainerManagerDataSource> fileDataSource()
{
    return std::make_unique<CorrectionData::CorrectionFileBasedContainerManagerDataSource>(
        CorrectionFile::LevelOfDepth { 1, 5, 2 });
}

/// Three clips on a card, each with its correction file beside it.
class CorrectionFiles : public ::testing::Test
{
protected:
    CorrectionFiles()
    {
        for (const char* clip : { "A001", "B001", "C001" })
        {
            writeCorrectionFile(clip, 100.0f);
        }
    }

    void writeCorrectionFile(const std::string& clip, float marker) const
    {
        directory.writeFile(
            "Card/" + clip + ".tlcf", correctionFileText(clip + ".mov", clip, marker));
    }

    std::string clipPath(const std::string& clip) const
    {
        return directory.path() + "/Card/" + clip + ".mov";
    }

    std::string correctionFilePath(const std::string& clip) const
    {
        return directory.path() + "/Card/" + clip + ".tlcf";
    }

    float markerByClipPath(CorrectionData::ContainerManager& manager, const std::string& clip)
    {
        std::shared_ptr<Content> content;
        manager.shareContent(clipPath(clip), content);
        return content->frames.at(0).shading[0];
    }

    TestSupport::TemporaryDirectory directory;
};

} // namespace

TEST_F(CorrectionFiles, DataSourceFindsReadsAndParsesTheClipsFile)
{
    directory.writeFile("Card/Broken.tlcf", "HEADER_START\r\nclipName:=Z001\r\n");
    auto dataSource = fileDataSource();
    Content content {};
    std::string path = "untouched";
    dataSource->content(clipPath("B001"), path, content);
    EXPECT_EQ(path, correctionFilePath("B001"));
    EXPECT_EQ(content.header.clipName, "B001");
    ASSERT_EQ(content.frames.size(), 400u);
    EXPECT_EQ(content.frames.at(399).timecode, "10:00:15:24");

    Content untouched {};
    EXPECT_THROW(
        dataSource->content(clipPath("Z001"), path, untouched), CorrectionFile::NotFoundException);
    EXPECT_EQ(path, correctionFilePath("B001"));
    EXPECT_THROW(dataSource->content(correctionFilePath("Z001"), untouched),
        CorrectionFile::NotReadableException);
    EXPECT_THROW(dataSource->content(directory.path() + "/Card/Broken.tlcf", untouched),
        CorrectionFile::InvalidFormatException);
    EXPECT_TRUE(untouched.frames.empty());
}

TEST_F(CorrectionFiles, ManagerReadsOnceAndChecksTheChosenFile)
{
    CorrectionData::ContainerManager manager(fileDataSource(), 100);
    EXPECT_EQ(markerByClipPath(manager, "A001"), 100.0f);
    writeCorrectionFile("A001", 50.0f); // not seen while cached
    EXPECT_EQ(markerByClipPath(manager, "A001"), 100.0f);

    std::shared_ptr<Content> content;
    for (const char* clipFileName : { "A001.mov", "A001" })
    {
        manager.shareContent(clipFileName, correctionFilePath("A001"), content);
        EXPECT_EQ(content->frames.at(0).shading[0], 100.0f) << clipFileName;
    }
    EXPECT_THROW(manager.shareContent("a001.mov", correctionFilePath("A001"), content),
        CorrectionData::FileMismatchException);
}

TEST_F(CorrectionFiles, EvictsFirstInFirstOutWithTheClipPaths)
{
    CorrectionData::ContainerManager bounded(fileDataSource(), 2);
    CorrectionData::ContainerManager unbounded(fileDataSource(), 0);
    for (const char* clip : { "A001", "B001", "C001" })
    {
        markerByClipPath(bounded, clip);
        markerByClipPath(unbounded, clip);
    }
    for (const char* clip : { "A001", "B001", "C001" })
    {
        writeCorrectionFile(clip, 50.0f);
    }
    EXPECT_EQ(markerByClipPath(unbounded, "A001"), 100.0f);
    EXPECT_EQ(markerByClipPath(bounded, "C001"), 100.0f);
    EXPECT_EQ(markerByClipPath(bounded, "A001"), 50.0f); // read again; B001 goes
    EXPECT_EQ(markerByClipPath(bounded, "B001"), 50.0f);
}

TEST_F(CorrectionFiles, ContainerLooksUpARealFile)
{
    const auto manager = std::make_shared<CorrectionData::ContainerManager>(fileDataSource(), 100);
    CorrectionData::ManagedContainer container(clipPath("C001"), manager);
    CorrectionData::Frame frame {};
    container.frameData(Timecode::Timecode("10:00:02:03", 25.0f), frame);
    EXPECT_EQ(frame.frameNumber, 53u);
    container.frameData(100000u, frame);
    EXPECT_EQ(frame.frameNumber, 399u);
    EXPECT_EQ(frame.radialDistortion[5], -2.5f);
}
