// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <string>

#include <boost/algorithm/string/replace.hpp>
#include <gtest/gtest.h>

#include "CorrectionData/Parser/JsonParser.h"
#include "Exception/Exception.h"
#include "Support/GlobalLocale.h"
#include "Support/ThrownDescription.h"

using CorrectionData::JsonParser;

namespace
{

const std::string document = R"({
  "recordingFormat": {
    "camera": { "manufacturer": "Maker", "model": "Model X" },
    "clipResolution": { "width": 1920, "height": 1080 },
    "imageRadius": 13.6305
  },
  "lens": "ignored",
  "frameData": { "interpolationPoints": {
    "heights": [0, 5, 10, 15, 18, 21.4],
    "shading": [100, 98.5, 95, 90, 85, 80],
    "radialDistortion": [0, -0.5, -1, -1.5, -2, -2.5]
  } }
})";

std::string replaced(const std::string& from, const std::string& to)
{
    return boost::algorithm::replace_first_copy(document, from, to);
}

} // namespace

TEST(JsonParser, ReadsRecordingFormatAndFrame)
{
    CorrectionData::Header header {};
    header.lensManufacturer = "stale";
    CorrectionData::Frame frame {};
    frame.frameNumber = 9;
    JsonParser::parse(document, header, frame);
    EXPECT_EQ(header.cameraManufacturer, "Maker");
    EXPECT_EQ(header.cameraModel, "Model X");
    EXPECT_EQ(header.clipWidth, 1920u);
    EXPECT_EQ(header.clipHeight, 1080u);
    EXPECT_EQ(header.lensManufacturer, "");
    EXPECT_EQ(header.tcFps, 0.0f);
    // Half the diagonal of a 23.76 mm wide 16:9 area is the image radius.
    const double expectedWidth = 13.6305 / (std::hypot(1920.0, 1080.0) / 2) * 1920;
    EXPECT_NEAR(header.sensorWidth, expectedWidth, 1e-5);
    EXPECT_NEAR(header.sensorWidth, 23.76, 0.005);
    EXPECT_EQ(frame.frameNumber, 0u);
    EXPECT_EQ(frame.shading, (std::array<float, 6> { 100, 98.5f, 95, 90, 85, 80 }));
    EXPECT_EQ(frame.radialDistortion[5], -2.5f);
}

TEST(JsonParser, ConvertsScalarsFromTheirText)
{
    const struct
    {
        const char* from;
        const char* to;
    } accepted[] = {
        { "[0, 5, 10, 15, 18, 21.4]", "[0.0, 5.0, 10.0, 15.0, 18.0, 21.40]" },
        { "\"width\": 1920", "\"width\": \"1920\"" },
        { "\"imageRadius\": 13.6305", "\"imageRadius\": \"13.6305\"" },
    };
    for (const auto& edit : accepted)
    {
        CorrectionData::Header header {};
        CorrectionData::Frame frame {};
        EXPECT_NO_THROW(JsonParser::parse(replaced(edit.from, edit.to), header, frame)) << edit.to;
    }

    CorrectionData::Header header {};
    CorrectionData::Frame frame {};
    JsonParser::parse(replaced("\"width\": 1920, \"height\": 1080", "\"width\": 0, \"height\": 0"),
        header, frame);
    EXPECT_TRUE(std::isnan(header.sensorWidth));
}

TEST(JsonParser, EveryFailureIsTheSameErrorAndTouchesNothing)
{
    const struct
    {
        const char* from;
        const char* to;
    } rejected[] = {
        { "} }\n}", "} }\n" }, // no closing brace
        { "21.4]", "21.5]" },
        { "[0, 5, 10, 15, 18, 21.4]", "[0, 5, 10, 15, 18]" },
        { "[100, 98.5, 95, 90, 85, 80]", "[100, 98.5, 95, 90, 85]" },
        { "[100, 98.5, 95, 90, 85, 80]", "[100, 98.5, 95, 90, 85, 80, 75]" },
        { "-2.5]", "-2.5, -3]" },
        { "\"width\": 1920", "\"width\": 1920.5" },
        { "\"width\": 1920", "\"width\": \" 1920\"" },
        { "\"height\": 1080", "\"height\": \"tall\"" },
        { "\"imageRadius\": 13.6305", "\"imageRadius\": \"13,6\"" },
        // JSON numbers are finite, also when written as texts.
        { "\"imageRadius\": 13.6305", "\"imageRadius\": \"inf\"" },
        { "[100, 98.5", "[\"nan\", 98.5" },
        { "\"model\": \"Model X\"", "\"type\": \"Model X\"" },
        { "\"shading\"", "\"Shading\"" },
    };
    for (const auto& edit : rejected)
    {
        CorrectionData::Header header {};
        header.cameraModel = "untouched";
        CorrectionData::Frame frame {};
        frame.shading[0] = -1.0f;
        EXPECT_EQ(TestSupport::thrownDescription<Exception>(
                      [&] { JsonParser::parse(replaced(edit.from, edit.to), header, frame); }),
            "JSON metadata string has an invalid format.\n")
            << edit.to;
        EXPECT_EQ(header.cameraModel, "untouched");
        EXPECT_EQ(frame.shading[0], -1.0f);
    }
}

TEST(JsonParser, DeepNestingFailsInsteadOfExhaustingTheStack)
{
    CorrectionData::Header header {};
    CorrectionData::Frame frame {};
    EXPECT_THROW(JsonParser::parse(std::string(100000, '['), header, frame), Exception);
    // Brackets inside texts, escaped quotes included, are not nesting.
    const std::string bracketName = "\"Maker \\\" " + std::string(100, '[') + "\"";
    JsonParser::parse(replaced("\"Maker\"", bracketName), header, frame);
    EXPECT_EQ(header.cameraManufacturer, "Maker \" " + std::string(100, '['));
}

TEST(JsonParser, IgnoresTheHostsNumberPunctuation)
{
    for (const char* separators : { ".,", ",." })
    {
        SCOPED_TRACE(separators);
        const TestSupport::GlobalLocale hostLocale(separators[0], separators[1]);
        CorrectionData::Header header {};
        CorrectionData::Frame frame {};
        EXPECT_NO_THROW(JsonParser::parse(document, header, frame));
        EXPECT_EQ(frame.shading[1], 98.5f);
        // The host's thousands separator is no part of a JSON number.
        const std::string grouped = std::string("\"width\": \"1") + separators[0] + "920\"";
        EXPECT_THROW(
            JsonParser::parse(replaced("\"width\": 1920", grouped), header, frame), Exception);
        EXPECT_EQ(header.clipWidth, 1920u);
    }
}
