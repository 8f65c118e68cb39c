// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The tool's own text and window handling: frame number patterns, frame lists and the geometry
// of enlarged frames, on plain values and real files in a temporary directory.
#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Common/FrameGeometry.h"
#include "Plate/FrameList.h"
#include "Plate/FramePattern.h"
#include "Support/TemporaryDirectory.h"

using namespace LensCorrect;

TEST(FramePattern, WritesFrameNumbersAsCompositorsSpellThem)
{
    const struct
    {
        const char* pattern;
        int frame;
        const char* path;
    } cases[] = {
        { "plate.####.exr", 7, "plate.0007.exr" },
        { "plate.#.exr", 1234, "plate.1234.exr" },
        { "plate.@@@.exr", 42, "plate.042.exr" },
        { "dir/plate.%04d.exr", 1001, "dir/plate.1001.exr" },
        { "plate.%d.exr", 5, "plate.5.exr" },
        { "100%%_plate.##.png", 3, "100%_plate.03.png" },
        { "plate.####.exr", -12, "plate.-012.exr" },
        { "odd%dir/plate.##.exr", 1, "odd%dir/plate.01.exr" },
        { "still.exr", 9, "still.exr" },
    };
    for (const auto& entry : cases)
    {
        EXPECT_EQ(FramePattern(entry.pattern).path(entry.frame), entry.path) << entry.pattern;
    }
}

TEST(FramePattern, RefusesWhatAPrintfFormatterWouldMisread)
{
    for (const char* pattern :
        { "plate.%s.exr", "plate.%.exr", "plate.%4d.exr", "50%.exr", "a.####.b.####.exr",
            "a.%04d.%04d.exr", "plate.%0123d.exr", "plate.###########.exr", "dir/" })
    {
        EXPECT_THROW(FramePattern { pattern }, Failure) << pattern;
    }
    // Found by fuzzing: a NUL ended the name early in the formatter.
    EXPECT_THROW(FramePattern(std::string("a\0b.####.exr", 12)), Failure);
    EXPECT_FALSE(FramePattern::sequenceOfFile(std::string("a\0b.0001.exr", 12)));
}

TEST(FramePattern, OneFileStandsForItsSequence)
{
    const auto sequence = FramePattern::sequenceOfFile("shots/A014C007.1001.exr");
    ASSERT_TRUE(sequence);
    EXPECT_EQ(sequence->second, 1001);
    EXPECT_EQ(sequence->first.printfPattern(), "shots/A014C007.%04d.exr");
    for (const char* single : { "shots/plate.exr", "1001/plate.exr", "IMG_20260614123456.jpg" })
    {
        EXPECT_FALSE(FramePattern::sequenceOfFile(single)) << single;
    }
}

TEST(FramePattern, ScanFindsTheFilesThePatternWouldWrite)
{
    const TestSupport::TemporaryDirectory directory;
    for (const char* name :
        { "p.0001.exr", "p.0003.exr", "p.00002.exr", "p.0004.exr.tmp", "q.0001.exr" })
    {
        directory.writeFile(name, "");
    }
    const auto files = FramePattern(directory.path() + "/p.####.exr").scan();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].first, 1);
    EXPECT_EQ(files[1], std::make_pair(3, directory.path() + "/p.0003.exr"));

    // A frame number of one digit stands for unpadded numbers of any length.
    directory.writeFile("u0.exr", "");
    directory.writeFile("u12.exr", "");
    const auto unpadded = FramePattern::sequenceOfFile(directory.path() + "/u0.exr");
    ASSERT_TRUE(unpadded);
    const auto numbers = unpadded->first.scan();
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(numbers[1], std::make_pair(12, directory.path() + "/u12.exr"));
}

TEST(FrameList, ReadsOpenImageIONotation)
{
    const struct
    {
        const char* text;
        std::vector<int> frames;
    } cases[] = {
        { "1001", { 1001 } },
        { "1001-1003", { 1001, 1002, 1003 } },
        { "1-9x4", { 1, 5, 9 } },
        { "5-1", { 1, 2, 3, 4, 5 } },
        { "3,1-2,3", { 1, 2, 3 } },
        { "-2--1", { -2, -1 } },
    };
    for (const auto& entry : cases)
    {
        EXPECT_EQ(parseFrameList(entry.text), entry.frames) << entry.text;
    }
}

TEST(FrameList, RefusesMalformedAndHugeLists)
{
    for (const char* text : { "", "a-b", "1-", "1-10x0", "1-10x-2", "1,,2", "1 - 3", "1-10z2",
             "0-999999999", "1234567890", "1-10x" })
    {
        EXPECT_THROW(parseFrameList(text), Failure) << text;
    }
}

TEST(FrameGeometry, KeepsThePictureCentredInEveryBuffer)
{
    const Size picture { 640, 360 };
    // Both differences odd: halving them one after the other would land a pixel off.
    const Size buffer { 645, 363 };
    const Size canvas { 651, 366 };
    const Size offset = FrameGeometry::bufferOffset(picture, buffer, canvas);
    EXPECT_EQ(
        offset.width + (buffer.width - picture.width) / 2, (canvas.width - picture.width) / 2);
    EXPECT_EQ(
        offset.height + (buffer.height - picture.height) / 2, (canvas.height - picture.height) / 2);

    const Window window = FrameGeometry::canvasWindow({ 10, -4, picture }, canvas);
    EXPECT_EQ(window.x, 5);
    EXPECT_EQ(window.y, -7);
    EXPECT_EQ(window.size, canvas);
    EXPECT_EQ(FrameGeometry::renderSize(picture, { 600, 400 }), (Size { 640, 400 }));
}

TEST(FrameGeometry, RefusesWindowsAFileCannotHold)
{
    EXPECT_THROW(FrameGeometry::canvasWindow({ -2147483647, 0, { 10, 10 } }, { 20, 10 }), Failure);
    EXPECT_THROW(FrameGeometry::canvasWindow({ 0, 0, { 10, 10 } }, { 8, 10 }), Failure);
    EXPECT_THROW(FrameGeometry::checkFrameSize({ 0, 1080 }, "frame"), Failure);
    EXPECT_THROW(FrameGeometry::checkFrameSize({ 15361, 8640 }, "frame"), Failure);
    EXPECT_NO_THROW(FrameGeometry::checkFrameSize({ 15360, 8640 }, "frame"));
}
