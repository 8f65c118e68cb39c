// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"
#include "Support/GlobalLocale.h"
#include "Support/TemporaryDirectory.h"

namespace
{

using Entries = std::vector<std::pair<std::string, std::string>>;

const Entries completeHeader = {
    { "lensManufacturer", "Optika" },
    { "lensTypeName", "Prime 50" },
    { "lensSerialNumber", "SN-0042" },
    { "lensMinFocalLength", "50" },
    { "lensMaxFocalLength", "50" },
    { "cameraManufacturer", "Camera Maker" },
    { "cameraModel", "Model One" },
    { "sensorWidth", "24.89" },
    { "clipName", "A001C003" },
    { "videoFileName", "A001C003_210302_R1AB.mov" },
    { "clipDurationFrames", "600" },
    { "clipWidth", "4096" },
    { "clipHeight", "2160" },
    { "tcFps", "23.976" },
    { "tcDrop", "0" },
    { "enableLensShadingCorrection", "1" },
    { "shadingGamma", "2.2" },
    { "enableLensDistortionCorrection", "1" },
    { "distortionZoom", "1.05" },
};

const std::string marker = "frame;shading;radialDistortion;a;b;c;d;e;timecode";
const std::string frameLine = "0;100,99,98,97,96,95;0,-1,-2,-3,-4,-5;;;;;;10.00.00.00";

/// The complete header with one key's value replaced, or the key left out (value nullptr).
std::string header(const std::string& key = "", const char* value = "")
{
    std::string text = "HEADER_START\n";
    for (const auto& [entryKey, entryValue] : completeHeader)
    {
        if (entryKey != key)
        {
            text += entryKey + ":=" + entryValue + "\n";
        }
        else if (value)
        {
            text += entryKey + ":=" + value + "\n";
        }
    }
    return text + "HEADER_END\n";
}

std::string fileWithFrames(const std::string& frameLines)
{
    return header() + marker + "\n" + frameLines;
}

/// Shading and distortion values of frame n of the realistic take: a focus pull drifts them.
float shadingOf(unsigned int frame, unsigned int point)
{
    return point == 0 ? 100.0f : 100.0f - static_cast<float>(point) * 4.25f - frame % 50 * 0.125f;
}

float distortionOf(unsigned int frame, unsigned int point)
{
    return -static_cast<float>(point) * 0.75f - frame % 40 * 0.0625f;
}

/// A take of several hundred frames at 23.976 fps with timecodes written with dots, and a
/// comment line above the header, as a camera-side tool writes it.
std::string realisticFile(const std::string& lineEnd, unsigned int frameCount)
{
    std::string text = "# written on set" + lineEnd + lineEnd;
    const std::string headerText = header();
    for (const char c : headerText)
    {
        text += c == '\n' ? lineEnd : std::string(1, c);
    }
    text += marker + lineEnd;
    char line[256];
    for (unsigned int frame = 0; frame < frameCount; ++frame)
    {
        std::snprintf(line, sizeof(line),
            "%u;%g,%g,%g,%g,%g,%g;%g,%g,%g,%g,%g,%g;3200;50;2.8;0;;10.%02u.%02u.%02u", frame,
            shadingOf(frame, 0), shadingOf(frame, 1), shadingOf(frame, 2), shadingOf(frame, 3),
            shadingOf(frame, 4), shadingOf(frame, 5), distortionOf(frame, 0),
            distortionOf(frame, 1), distortionOf(frame, 2), distortionOf(frame, 3),
            distortionOf(frame, 4), distortionOf(frame, 5), frame / 24 / 60, frame / 24 % 60,
            frame % 24);
        text += line + lineEnd;
    }
    return text;
}

enum class GlobalLocale
{
    classic,
    commaDecimal
};

class Parser : public testing::TestWithParam<GlobalLocale>
{
protected:
    void SetUp() override
    {
        // "1.234,5", as a German host sets it.
        if (GetParam() == GlobalLocale::commaDecimal)
        {
            hostLocale.emplace('.', ',');
        }
    }
    void TearDown() override { hostLocale.reset(); }

    CorrectionData::Content parse(const std::string& text) const
    {
        CorrectionData::Content content {};
        parser.parse(text, content);
        return content;
    }

    CorrectionData::Header parseHeaderWith(const std::string& key, const char* value) const
    {
        CorrectionData::Header parsed {};
        parser.parseHeader(header(key, value), parsed);
        return parsed;
    }

    const CorrectionFile::Parser parser {};

private:
    std::optional<TestSupport::GlobalLocale> hostLocale;
};

INSTANTIATE_TEST_SUITE_P(Locales, Parser,
    testing::Values(GlobalLocale::classic, GlobalLocale::commaDecimal),
    [](const testing::TestParamInfo<GlobalLocale>& info)
    { return info.param == GlobalLocale::classic ? "Classic" : "CommaDecimal"; });

TEST_P(Parser, ReadsRealisticFileWithCrLfLikeLf)
{
    constexpr unsigned int frameCount = 720;
    TestSupport::TemporaryDirectory directory;
    const std::string path
        = directory.writeFile("A001C003.tlcf", realisticFile("\r\n", frameCount));
    std::string text;
    CorrectionFile::Reader().readFile(path, text);
    const CorrectionData::Content content = parse(text);

    const CorrectionData::Header& h = content.header;
    EXPECT_EQ(h.lensManufacturer, "Optika");
    EXPECT_EQ(h.lensTypeName, "Prime 50");
    EXPECT_EQ(h.lensSerialNumber, "SN-0042");
    EXPECT_EQ(h.lensMinFocalLength, 50);
    EXPECT_EQ(h.lensMaxFocalLength, 50);
    EXPECT_EQ(h.cameraManufacturer, "Camera Maker");
    EXPECT_EQ(h.cameraModel, "Model One");
    EXPECT_FLOAT_EQ(h.sensorWidth, 24.89f);
    EXPECT_EQ(h.clipName, "A001C003");
    EXPECT_EQ(h.videoFileName, "A001C003_210302_R1AB.mov");
    EXPECT_EQ(h.clipDurationFrames, 600u);
    EXPECT_EQ(h.clipWidth, 4096u);
    EXPECT_EQ(h.clipHeight, 2160u);
    EXPECT_FLOAT_EQ(h.tcFps, 23.976f);
    EXPECT_FALSE(h.tcDrop);
    EXPECT_TRUE(h.enableLensShadingCorrection);
    EXPECT_FLOAT_EQ(h.shadingGamma, 2.2f);
    EXPECT_TRUE(h.enableLensDistortionCorrection);
    EXPECT_FLOAT_EQ(h.distortionZoom, 1.05f);

    ASSERT_EQ(content.frames.size(), frameCount);
    for (const auto& [number, frame] : content.frames)
    {
        ASSERT_EQ(frame.frameNumber, number);
        for (unsigned int point = 0; point < 6; ++point)
        {
            ASSERT_EQ(frame.shading[point], shadingOf(number, point)) << number;
            ASSERT_EQ(frame.radialDistortion[point], distortionOf(number, point)) << number;
        }
    }
    EXPECT_EQ(content.frames.at(0).timecode, "10:00:00:00");
    EXPECT_EQ(content.frames.at(frameCount - 1).timecode, "10:00:29:23");

    const CorrectionData::Content lf = parse(realisticFile("\n", frameCount));
    EXPECT_EQ(lf.header.videoFileName, h.videoFileName);
    EXPECT_EQ(lf.frames.size(), content.frames.size());
    EXPECT_EQ(lf.frames.at(frameCount - 1).timecode, "10:00:29:23");
}

TEST_P(Parser, ConvertsHeaderValuesByLexicalCastRules)
{
    struct Row
    {
        const char* value;
        unsigned int expected;
    };
    for (const Row& row :
        std::vector<Row> { { "01", 1 }, { "+1", 1 }, { "-0", 0 }, { "-1", 4294967295u },
            { "4294967295", 4294967295u }, { "4294967296", 0 }, { "12abc", 0 }, { " 12", 0 },
            { "12 ", 0 }, { "", 0 }, { "1.000", 0 }, { "1,000", 0 }, { "4096\r", 4096 } })
    {
        EXPECT_EQ(parseHeaderWith("clipWidth", row.value).clipWidth, row.expected) << row.value;
    }
    for (const Row& row : std::vector<Row> {
             { "70", 70 }, { "65535", 65535 }, { "65536", 0 }, { "65537", 1 }, { "-1", 65535 } })
    {
        EXPECT_EQ(parseHeaderWith("lensMaxFocalLength", row.value).lensMaxFocalLength, row.expected)
            << row.value;
    }
    for (const Row& row :
        std::vector<Row> { { "1", 1 }, { "0", 0 }, { "01", 1 }, { "+1", 1 }, { "-0", 0 },
            { "-1", 0 }, { "true", 0 }, { "false", 0 }, { "2", 0 }, { " 1", 0 }, { "", 0 } })
    {
        EXPECT_EQ(parseHeaderWith("tcDrop", row.value).tcDrop, row.expected != 0) << row.value;
    }

    const float infinity = std::numeric_limits<float>::infinity();
    struct FloatRow
    {
        const char* value;
        float expected;
    };
    for (const FloatRow& row :
        std::vector<FloatRow> { { "24.89", 24.89f }, { "-1.5e2", -150.0f }, { ".5", 0.5f },
            { "5.", 5.0f }, { "+2", 2.0f }, { "inf", infinity }, { "-Infinity", -infinity },
            { "INF", infinity }, { "1e", 0.0f }, { "1E+", 0.0f }, { "2-", 0.0f }, { "24,89", 0.0f },
            { "1.024,5", 0.0f }, { " 1", 0.0f }, { "1 ", 0.0f }, { "", 0.0f }, { "0x10", 0.0f } })
    {
        EXPECT_EQ(parseHeaderWith("sensorWidth", row.value).sensorWidth, row.expected) << row.value;
    }
    EXPECT_TRUE(std::isnan(parseHeaderWith("sensorWidth", "nan").sensorWidth));
    EXPECT_TRUE(std::isnan(parseHeaderWith("shadingGamma", "-NaN").shadingGamma));
}

TEST_P(Parser, TakesHeaderEntriesAsWritten)
{
    CorrectionData::Header parsed {};
    parser.parseHeader(header("clipName", "") + "clipName:=Second\n", parsed);
    EXPECT_EQ(parsed.clipName, "");

    // The first of two entries wins; unknown keys and empty lines are passed over; values keep
    // their blanks and may contain "=".
    const std::string text = "HEADER_START\n\nclipName:= A=B \nclipName:=Other\nfocus:=3m\n"
        + header().substr(std::string("HEADER_START\n").size());
    parser.parseHeader(text, parsed);
    EXPECT_EQ(parsed.clipName, " A=B ");
    EXPECT_EQ(parsed.videoFileName, "A001C003_210302_R1AB.mov");
}

TEST_P(Parser, ReadsBodyEdgeCases)
{
    // Empty lines, frames out of order, a duplicate frame (the later line wins), the range
    // limits, an empty timecode and fields beyond the ninth.
    const std::string text = header() + "\n" + marker + "\n\n"
        + "7;100,0,50,50,50,50;-100,100,0,0,0,0;;;;;;10.00.00.07;extra\n"
        + "3;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;first\n\n" + "3;6,5,4,3,2,1;1,1,1,1,1,1;;;;;;\n"
        + "2147483647;0,0,0,0,0,0;0,0,0,0,0,0;;;;;;x.y";
    const CorrectionData::Content content = parse(text);
    ASSERT_EQ(content.frames.size(), 3u);
    auto frame = content.frames.begin();
    EXPECT_EQ(frame->first, 3u);
    EXPECT_EQ(frame->second.shading, (std::array<float, 6> { 6, 5, 4, 3, 2, 1 }));
    EXPECT_EQ(frame->second.radialDistortion, (std::array<float, 6> { 1, 1, 1, 1, 1, 1 }));
    EXPECT_EQ(frame->second.timecode, "");
    ++frame;
    EXPECT_EQ(frame->first, 7u);
    EXPECT_EQ(frame->second.shading[0], 100.0f);
    EXPECT_EQ(frame->second.radialDistortion[0], -100.0f);
    EXPECT_EQ(frame->second.timecode, "10:00:00:07");
    ++frame;
    EXPECT_EQ(frame->first, 2147483647u);
    EXPECT_EQ(frame->second.timecode, "x:y");

    EXPECT_TRUE(parse(header() + "frame;shading;radialDistortion;\n").frames.empty());
}

TEST_P(Parser, RejectsMalformedFilesWithReasonOrLine)
{
    const std::string brief = "Correction file could not be parsed due to an invalid format.\n";
    const auto reason = [&](const std::string& text) { return brief + "Reason: " + text + "\n"; };
    const auto line = [&](unsigned int number, const std::string& content)
    {
        return brief + "Line Number: " + std::to_string(number) + "\nLine Content: \"" + content
            + "\"\n";
    };
    // The header has 21 lines, the marker is line 22 in fileWithFrames.
    const std::string tcFpsInvalid
        = reason("Header entry with key \"tcFps\" does not have a valid value.");
    struct Row
    {
        std::string text;
        std::string expected;
    };
    const std::vector<Row> rows = {
        { "", reason("Header start could not be found.") },
        { "HEADER_START \nHEADER_END\n", reason("Header start could not be found.") },
        { "HEADER_START\nclipName:=A\n", reason("Header end could not be found.") },
        { "x\r\nHEADER_START\r\nclipName:=A\r\nclipName\r\n", line(4, "clipName") },
        { "HEADER_START\na:=b:=c\nHEADER_END\n", line(2, "a:=b:=c") },
        { header("cameraModel", nullptr),
            reason("Header entry with key \"cameraModel\" was not found.\n") },
        { header("tcFps", nullptr) + "tcFps := 25\n",
            reason("Header entry with key \"tcFps\" was not found.\n") },
        { header("videoFileName", ""),
            reason("Header entry with key \"videoFileName\" does not have a value.") },
        { header("tcFps", "0"), tcFpsInvalid },
        { header("tcFps", "-25"), tcFpsInvalid },
        { header("tcFps", "25fps"), tcFpsInvalid },
        { header("tcFps", "23,976"), tcFpsInvalid },
        { header("tcFps", "nan"), tcFpsInvalid },
        { header("tcFps", "inf"), tcFpsInvalid },
        { header("tcFps", ""), tcFpsInvalid },
        { header(), reason("Body start could not be found.") },
        // A marker above the header makes the header lines frame lines.
        { marker + "\n" + header(), line(2, "HEADER_START") },
        { header() + "frame;shading;radialdistortion;\n",
            reason("Body start could not be found.") },
        // Header errors come first, even where the body is broken as well.
        { marker + "\nbroken\n" + header("cameraModel", nullptr),
            reason("Header entry with key \"cameraModel\" was not found.\n") },
        { fileWithFrames(frameLine + "\n0;1,2,3,4,5,6;0,0,0,0,0,0;;;;;\n"),
            line(24, "0;1,2,3,4,5,6;0,0,0,0,0,0;;;;;") },
        { fileWithFrames("\n\r\n1;1,2,3,4,5;0,0,0,0,0,0;;;;;;\r\n"),
            line(25, "1;1,2,3,4,5;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6,7;0,0,0,0,0,0;;;;;;"),
            line(23, "1;1,2,3,4,5,6,7;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6;0,0,0,0,0;;;;;;"),
            line(23, "1;1,2,3,4,5,6;0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;;0,0,0,0,0,0;;;;;;"), line(23, "1;;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;100.5,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1;100.5,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;-0.01,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1;-0.01,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6;0,0,0,0,0,-100.01;;;;;;"),
            line(23, "1;1,2,3,4,5,6;0,0,0,0,0,-100.01;;;;;;") },
        { fileWithFrames("1;nan,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1;nan,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6;0,0,NaN,0,0,0;;;;;;"),
            line(23, "1;1,2,3,4,5,6;0,0,NaN,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6;0,0,inf,0,0,0;;;;;;"),
            line(23, "1;1,2,3,4,5,6;0,0,inf,0,0,0;;;;;;") },
        { fileWithFrames("1;1, 2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1;1, 2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1e,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1;1e,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("-1;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "-1;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("2147483648;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "2147483648;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1.000;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, "1.000;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames(" 1;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;"),
            line(23, " 1;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;") },
        { fileWithFrames("1;1,2,3,4,5,6;0,0,0,0,0,0;;;;;;\r\n\t\r\n"), line(24, "\t") },
    };
    for (const Row& row : rows)
    {
        CorrectionData::Content content {};
        content.header.clipName = "kept";
        content.frames[5].timecode = "kept";
        try
        {
            parser.parse(row.text, content);
            ADD_FAILURE() << "parsed: " << row.text;
        }
        catch (const CorrectionFile::InvalidFormatException& error)
        {
            EXPECT_EQ(error.detailedDescription(), row.expected) << row.text;
        }
        // Nothing is stored on failure.
        EXPECT_EQ(content.header.clipName, "kept");
        ASSERT_EQ(content.frames.size(), 1u);
        EXPECT_EQ(content.frames.at(5).timecode, "kept");
    }
}

} // namespace
