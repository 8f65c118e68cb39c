// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Hostile and broken correction files: each must end in the parser's or reader's own error,
// never a crash, a hang or a half-filled result.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "Support/ThrownDescription.h"

using CorrectionFile::InvalidFormatException;
using CorrectionFile::NotReadableException;
using TestSupport::thrownDescription;

namespace
{

const char* const invalidFormat = "Correction file could not be parsed due to an invalid format.\n";

std::string validFile()
{
    TestSupport::TestCorrectionFile file;
    file.frames.push_back({ 0, { 100, 99, 98, 97, 96, 95 }, { 0, 1, 2, 3, 4, 5 }, "10:00:00:00" });
    return file.text();
}

std::string withHeaderValue(const std::string& key, const std::string& value)
{
    std::string text = validFile();
    const std::string prefix = "\n" + key + ":=";
    const std::size_t start = text.find(prefix) + prefix.size();
    return text.replace(start, text.find('\n', start) - start, value);
}

std::string withFrameLine(const std::string& line) { return validFile() + line + "\n"; }

// The number of the line that withFrameLine appends.
std::string appendedLineNumber()
{
    const std::string text = validFile();
    return std::to_string(std::count(text.begin(), text.end(), '\n') + 1);
}

CorrectionData::Content parse(const std::string& text)
{
    CorrectionData::Content content;
    CorrectionFile::Parser().parse(text, content);
    return content;
}

} // namespace

TEST(BadInput, UnopenableFilesAreNotReadable)
{
    const TestSupport::TemporaryDirectory directory;
    const std::string file = directory.writeFile("A001.tlcf", validFile());
    std::string content = "untouched";
    // A path through a regular file cannot name anything, whoever runs the tests.
    EXPECT_EQ(thrownDescription<NotReadableException>(
                  [&] { CorrectionFile::Reader().readFile(file + "/x.tlcf", content); }),
        "Correction file could not be read.\nFile Path: \"" + file + "/x.tlcf\"\n");
    EXPECT_EQ(content, "untouched");
    if (geteuid() != 0)
    {
        chmod(file.c_str(), 0);
        EXPECT_THROW(CorrectionFile::Reader().readFile(file, content), NotReadableException);
    }
}

TEST(BadInput, HugeFileWithoutHeaderFailsCleanly)
{
    // 256 MB of zero bytes without a single line feed, made sparse so the test costs no disk.
    const TestSupport::TemporaryDirectory directory;
    const std::string path = directory.writeFile("huge.tlcf", "");
    ASSERT_EQ(truncate(path.c_str(), 256l << 20), 0);
    std::string text;
    CorrectionFile::Reader().readFile(path, text);
    ASSERT_EQ(text.size(), 256u << 20);
    EXPECT_EQ(thrownDescription<InvalidFormatException>([&] { parse(text); }),
        std::string(invalidFormat) + "Reason: Header start could not be found.\n");
}

TEST(BadInput, BinaryGarbageFailsWithTheParsersError)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20; ++round)
    {
        std::string garbage(64 * 1024, '\0');
        for (char& c : garbage)
        {
            c = static_cast<char>(byte(random));
        }
        EXPECT_THROW(parse(garbage), InvalidFormatException);
        // Behind a valid header the garbage becomes frame lines, which fail with a line number.
        const std::string text = validFile() + garbage;
        EXPECT_NE(
            thrownDescription<InvalidFormatException>([&] { parse(text); }).find("Line Number: "),
            std::string::npos);
    }
}

TEST(BadInput, TenThousandFieldsInAFrameLine)
{
    std::string line = "7;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;10:00:00:07";
    for (int i = 0; i < 10000; ++i)
    {
        line += ";field";
    }
    const CorrectionData::Content content = parse(withFrameLine(line));
    EXPECT_EQ(content.frames.at(7).timecode, "10:00:00:07");

    std::string values = "7;1";
    for (int i = 0; i < 10000; ++i)
    {
        values += ",1";
    }
    values += ";0,0,0,0,0,0;;;;;;";
    EXPECT_NE(thrownDescription<InvalidFormatException>([&] { parse(withFrameLine(values)); })
                  .find("Line Number: " + appendedLineNumber() + "\n"),
        std::string::npos);
}

TEST(BadInput, NanAndInfinityInEveryNumericHeaderValue)
{
    for (const char* text : { "nan", "-nan", "NaN", "inf", "-inf", "Infinity" })
    {
        // Whole numbers never take them; the field reads 0.
        EXPECT_EQ(parse(withHeaderValue("lensMinFocalLength", text)).header.lensMinFocalLength, 0);
        EXPECT_EQ(parse(withHeaderValue("lensMaxFocalLength", text)).header.lensMaxFocalLength, 0);
        EXPECT_EQ(parse(withHeaderValue("clipDurationFrames", text)).header.clipDurationFrames, 0u);
        EXPECT_EQ(parse(withHeaderValue("clipWidth", text)).header.clipWidth, 0u);
        EXPECT_EQ(parse(withHeaderValue("clipHeight", text)).header.clipHeight, 0u);
        // Flags never take them; the field reads false.
        EXPECT_FALSE(parse(withHeaderValue("tcDrop", text)).header.tcDrop) << text;
        // Decimal values that the pipeline does not divide by keep them as written.
        const float sensorWidth = parse(withHeaderValue("sensorWidth", text)).header.sensorWidth;
        EXPECT_TRUE(std::isnan(sensorWidth) || std::isinf(sensorWidth)) << text;
        // The frame rate divides every timecode: a non-finite rate is refused.
        EXPECT_EQ(thrownDescription<InvalidFormatException>(
                      [&] { parse(withHeaderValue("tcFps", text)); }),
            std::string(invalidFormat)
                + "Reason: Header entry with key \"tcFps\" does not have a valid value.\n");
    }
}

TEST(BadInput, NanAndInfinityInEveryNumericFrameValue)
{
    for (const char* text : { "nan", "-nan", "inf", "-inf", "infinity" })
    {
        const std::string v(text);
        for (const std::string& line : {
                 v + ";1,2,3,4,5,6;0,0,0,0,0,0;;;;;;",
                 "1;" + v + ",2,3,4,5,6;0,0,0,0,0,0;;;;;;",
                 "1;1,2,3,4,5," + v + ";0,0,0,0,0,0;;;;;;",
                 "1;1,2,3,4,5,6;" + v + ",0,0,0,0,0;;;;;;",
                 "1;1,2,3,4,5,6;0,0,0,0,0," + v + ";;;;;;",
             })
        {
            EXPECT_EQ(
                thrownDescription<InvalidFormatException>([&] { parse(withFrameLine(line)); }),
                std::string(invalidFormat) + "Line Number: " + appendedLineNumber()
                    + "\nLine Content: \"" + line + "\"\n")
                << line;
        }
    }
}
