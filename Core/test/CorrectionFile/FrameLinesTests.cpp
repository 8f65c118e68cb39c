// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The frame lines as readers of the columns the parser leaves see them: the same lines, the same
// failures, each field as written.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"

namespace
{

using CorrectionFile::FrameLines;

const std::string values = ";100,99,98,97,96,95;0,-1,-2,-3,-4,-5;";

std::string failure(const std::string& text)
{
    try
    {
        FrameLines lines(text);
        while (lines.next())
        {
        }
    }
    catch (const CorrectionFile::InvalidFormatException& error)
    {
        return error.detailedDescription();
    }
    return "";
}

TEST(FrameLines, GiveEveryFieldOfTheLinesAfterTheMarker)
{
    // Lines before the marker, empty lines and carriage returns are not frame lines' business.
    const std::string text = "HEADER_START\r\n5" + values + "1;2;3;4;5;x\r\n"
        + "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;timecode\r\n"
        + "7" + values + "35.5;2.4;2.8;0;;01.00.00.07\r\n\r\n" + "3" + values
        + ";;;;;01:00:00:03;extra\n";
    FrameLines lines(text);
    std::vector<std::vector<std::string>> read;
    std::vector<uint32_t> numbers;
    while (lines.next())
    {
        numbers.push_back(lines.frameNumber());
        read.emplace_back();
        for (size_t field = 3; field < FrameLines::fieldCount; ++field)
        {
            read.back().emplace_back(lines.field(field));
        }
    }
    EXPECT_EQ(numbers, (std::vector<uint32_t> { 7, 3 }));
    EXPECT_EQ(read,
        (std::vector<std::vector<std::string>> { { "35.5", "2.4", "2.8", "0", "", "01.00.00.07" },
            { "", "", "", "", "", "01:00:00:03" } }));
}

TEST(FrameLines, FailAsTheParserDoes)
{
    const std::string brief = "Correction file could not be parsed due to an invalid format.\n";
    const std::string marker = "frame;shading;radialDistortion;\n";
    const auto line = [&](unsigned int number, const std::string& content)
    {
        return brief + "Line Number: " + std::to_string(number) + "\nLine Content: \"" + content
            + "\"\n";
    };
    struct Row
    {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        { "0" + values + ";;;;;\n", brief + "Reason: Body start could not be found.\n" },
        { marker + "0" + values + ";;;;\n", line(2, "0" + values + ";;;;") },
        { marker + "\n-1" + values + ";;;;;\n", line(3, "-1" + values + ";;;;;") },
        { marker + "one" + values + ";;;;;\n", line(2, "one" + values + ";;;;;") },
        { marker + "0" + values + ";;;;;\n", "" },
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(failure(row.text), row.expected) << row.text;
    }
}

} // namespace
