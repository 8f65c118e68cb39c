// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// OpenTrackIO samples read from real files and converted to the library's frame JSON: against the
// standard's worked values and values computed here; their rates, timecodes, failures and stated
// losses. The frames corrected from them are tested in OpenTrackIoCorrectionTests.cpp.
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "LensData/OpenTrackIoLosses.h"
#include "LensData/OpenTrackIoSamples.h"
#include "OpenTrackIoTestSupport.h"
#include "lenscorrect/CommandLine.h"

using namespace LensCorrect;
using namespace OpenTrackIoTesting;

namespace
{

struct WorkedCase
{
    const char* name;
    std::string lens;
    std::array<float, 6> shading;
    std::array<float, 6> distortion;
};

TEST_F(OpenTrackIo, ConversionGivesTheWorkedValuesAndTheSampleRecordingFormat)
{
    const std::array<float, 6> flat = { 100, 100, 100, 100, 100, 100 };
    const std::vector<WorkedCase> cases = {
        { "k1", distortion("-1e-4"), flat, { 0, 2.5f, 10, 22.5f, 32.4f, 45.796f } },
        { "k1 k3", distortion("-1e-4, 0, 2e-8"), flat,
            { 0, 2.4875f, 9.8f, 21.4875f, 30.3005f, 41.6015f } },
        { "falloff", distortion("0") + R"(,"exposureFalloff":{"a1":1e-3,"a2":-5e-7})",
            { 100, 97.5312f, 90.5f, 80.0312f, 72.8488f, 64.6904f }, {} },
        { "U-D", distortion("-1e-4, 0, 2e-8", "Brown-Conrady U-D"), flat,
            undistortedByBisection(-1e-4, 2e-8) },
    };
    for (const WorkedCase& worked : cases)
    {
        SCOPED_TRACE(worked.name);
        const OpenTrackIoSamples samples = read(sample(worked.lens) + "\n");
        CorrectionData::Header header;
        const CorrectionData::Frame frame = frameOf(samples.samples().at(0), header);
        for (size_t i = 0; i < radii.size(); ++i)
        {
            EXPECT_NEAR(frame.shading[i], worked.shading[i], 1e-4) << radii[i];
            EXPECT_NEAR(frame.radialDistortion[i], worked.distortion[i], 1e-4) << radii[i];
        }
        EXPECT_EQ(header.cameraManufacturer, "Maker");
        EXPECT_EQ(header.cameraModel, "Cam \"2\"");
        EXPECT_EQ(header.clipWidth, 1920u);
        EXPECT_EQ(header.clipHeight, 1080u);
        EXPECT_NEAR(header.sensorWidth, float(sensorWidth), 1e-4f);
    }
}

TEST_F(OpenTrackIo, StaticBlocksCarryForwardFieldByFieldInLinesAndArraysAndSamplesAreFoundByTime)
{
    const auto timecode = [](int frames, int rate)
    {
        return R"({"hours":1,"minutes":0,"seconds":0,"frames":)" + std::to_string(frames)
            + R"(,"frameRate":{"num":)" + std::to_string(rate) + R"(,"denom":1}})";
    };
    // A second camera: another sensor (corner at 14.28 mm) and resolution; its make and model
    // carry forward from the first block, and a later block without a camera keeps it.
    const std::string other = R"("static":{"camera":{)"
                              R"("activeSensorPhysicalDimensions":{"width":24.89,"height":14},)"
                              R"("activeSensorResolution":{"width":3840,"height":2160}}})";
    const std::vector<std::string> lines = {
        sample(distortion("-1e-4"), true, timecode(0, 25)),
        sample(distortion("-2e-4"), false, timecode(1, 25)),
        "{" + other + R"(,"lens":{)" + distortion("-3e-4") + "}}",
        R"({"static":{"lens":{"make":"Optics"}},"lens":{)" + distortion("-4e-4")
            + R"(},"timing":{"timecode":)" + timecode(1, 24) + "}}",
        R"({"lens":{"exposureFalloff":{"a1":1e-3}}})",
    };
    std::string ndjson;
    std::string array = "[";
    for (const std::string& line : lines)
    {
        ndjson += line + "\n\n";
        array += (array.size() > 1 ? ",\n" : "") + line;
    }
    const OpenTrackIoSamples fromLines = read(ndjson);
    const OpenTrackIoSamples fromArray = read(array + "]", "take.json");
    ASSERT_EQ(fromLines.samples().size(), 5u);
    ASSERT_EQ(fromArray.samples().size(), 5u);
    const double otherCorner = 0.5 * std::hypot(24.89, 14.0);
    const std::vector<uint32_t> widths = { 1920, 1920, 3840, 3840, 3840 };
    const std::vector<double> corners = { 21.4, 21.4, otherCorner, otherCorner, otherCorner };
    for (size_t i = 0; i < widths.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(fromLines.samples()[i].frameMetadata, fromArray.samples()[i].frameMetadata);
        CorrectionData::Header header;
        const CorrectionData::Frame frame = frameOf(fromLines.samples()[i], header);
        EXPECT_EQ(header.clipWidth, widths[i]);
        EXPECT_EQ(header.cameraManufacturer, "Maker");
        // The values are spread over the frame: the last one is the corner's.
        const double d = i < 4 ? 1000.0 * 1e-4 * double(i + 1) * corners[i] * corners[i] : 0.0;
        EXPECT_NEAR(frame.radialDistortion[5], d, 1e-3);
        EXPECT_NEAR(frame.radialDistortion[2], d * 100.0 / (21.4 * 21.4), 1e-3);
    }
    // Without lens.distortion a sample has no distortion data; a shading run can take it.
    EXPECT_TRUE(fromLines.samples()[4].distortion.empty());
    EXPECT_TRUE(OpenTrackIoSamples::unusable(fromLines.samples()[4], true, true));
    EXPECT_FALSE(OpenTrackIoSamples::unusable(fromLines.samples()[4], true, false));
    EXPECT_EQ(fromLines.samples()[1].where, "line 3");
    EXPECT_EQ(fromArray.samples()[1].where, "array position 2");

    // Samples are found by the moment their frame starts, whatever rate the label counts in.
    const auto at = [&](const char* label, FrameRate rate)
    { return fromLines.atMoment(*momentOf(Timecode::Timecode(label, 0.0f), rate, false)); };
    EXPECT_EQ(at("01:00:00:01", { 25, 1 }), &fromLines.samples()[1]);
    EXPECT_EQ(at("01:00:00:02", { 50, 1 }), &fromLines.samples()[1]);
    EXPECT_EQ(at("01:00:00:01", { 24, 1 }), &fromLines.samples()[3]);
    EXPECT_EQ(at("01:00:00:00", { 30, 1 }), &fromLines.samples()[0]);
    EXPECT_EQ(at("01:00:00:02", { 25, 1 }), nullptr);
    EXPECT_EQ(at("01:00:00:01", { 50, 1 }), nullptr);
    EXPECT_EQ(fromLines.atPosition(2), &fromLines.samples()[2]);
    EXPECT_EQ(fromLines.atPosition(5), nullptr);

    // A camera without a resolution is recorded at the plate's size.
    const std::string noResolution
        = R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":36,"height":24}}},)"
          R"("lens":{"distortion":[{"radial":[0]}]}})";
    const OpenTrackIoSamples onPlate(
        directory.writeFile("plate.ndjson", noResolution), SamplePlate { { 1800, 1200 }, 0.0f });
    CorrectionData::Header header;
    frameOf(onPlate.samples()[0], header);
    EXPECT_EQ(header.clipWidth, 1800u);
    EXPECT_EQ(header.clipHeight, 1200u);
}

struct LabelCase
{
    const char* label;
    FrameRate rate;
    bool dropFrame;
    std::optional<uint64_t> count;
};

TEST(OpenTrackIoTime, RatesAndLabelsCountAsTheirRatesDo)
{
    // A rate typed or stored as a decimal is the fraction it stands for.
    const std::vector<std::pair<float, std::optional<FrameRate>>> rates = {
        { 23.976f, FrameRate { 24000, 1001 } },
        { 59.94f, FrameRate { 60000, 1001 } },
        { 12.5f, FrameRate { 25, 2 } },
        { 0.0f, std::nullopt },
    };
    for (const auto& [number, rate] : rates)
    {
        SCOPED_TRACE(number);
        const std::optional<FrameRate> actual = FrameRate::of(number);
        ASSERT_EQ(actual.has_value(), rate.has_value());
        if (rate)
        {
            EXPECT_EQ(actual->numerator, rate->numerator);
            EXPECT_EQ(actual->denominator, rate->denominator);
        }
    }

    const FrameRate ntsc { 30000, 1001 };
    const FrameRate ntscDouble { 60000, 1001 };
    const std::vector<LabelCase> labels = {
        { "00:00:59:29", ntsc, true, 1799 },
        { "00:01:00:02", ntsc, true, 1800 },
        { "00:01:00:00", ntsc, true, std::nullopt },
        { "00:01:00:00", ntsc, false, 1800 },
        { "00:10:00:00", ntsc, true, 17982 },
        { "01:00:00:00", ntsc, true, 107892 },
        { "00:01:00:04", ntscDouble, true, 3600 },
        { "00:01:00:03", ntscDouble, true, std::nullopt },
        { "00:00:00:25", { 25, 1 }, false, std::nullopt },
        // Drop-frame exists at 29.97 and 59.94 only.
        { "00:01:00:00", { 30, 1 }, true, 1800 },
    };
    for (const LabelCase& label : labels)
    {
        SCOPED_TRACE(std::string(label.label) + (label.dropFrame ? " drop-frame" : ""));
        EXPECT_EQ(labelCount(Timecode::Timecode(label.label, 0.0f), label.rate, label.dropFrame),
            label.count);
    }
    // The same moment at 29.97 drop-frame and at 59.94 drop-frame.
    EXPECT_EQ(momentOf(Timecode::Timecode("00:10:00:00", 0.0f), ntsc, true),
        momentOf(Timecode::Timecode("00:10:00:00", 0.0f), ntscDouble, true));
}

TEST_F(OpenTrackIo, BadSamplesFailNamingTheFileAndTheSample)
{
    const std::string good = sample(distortion("-1e-4"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        { good + "\n{\"lens\": ", "OpenTrackIO sample at line 2 is not valid JSON." },
        { sample(distortion("-1e-4"), false), "at line 1 comes before any static block." },
        { R"({"static":{"lens":{"make":"Optics"}},"lens":{)" + distortion("0") + "}}",
            "at line 1 has no static.camera.activeSensorPhysicalDimensions." },
        { R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":36,"height":24}}},)"
          R"("lens":{)"
                + distortion("0") + "}}",
            "has no static.camera.activeSensorResolution and no plate to take its size from." },
        { R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":36,"height":24},)"
          R"("activeSensorResolution":{"width":3840,"height":2160}}},"lens":{)"
                + distortion("0") + "}}",
            "has a sensor of 36 x 24 mm recorded at 3840 x 2160 px: their aspect ratios differ" },
        { sample(distortion("0"), true,
              R"({"hours":0,"minutes":1,"seconds":0,"frames":0,"dropFrame":true,)"
              R"("frameRate":{"num":30000,"denom":1001}})"),
            "has a timing.timecode that its rate does not count." },
        { sample(distortion(R"("-1e-4", "x")")), "has no number at lens.distortion[0].radial[1]." },
        { sample(distortion("1e-4", "Fisheye")),
            "has a distortion model other than Brown-Conrady." },
        { sample(R"("distortion":{"radial":[1]})"), "has no list at lens.distortion." },
        { sample(distortion("-1e-4"), true,
              R"({"hours":1,"minutes":0,"seconds":0,"frames":25,)"
              R"("frameRate":{"num":25,"denom":1}})"),
            "has an invalid timing.timecode." },
        { "[" + good + ",\n{]", "The OpenTrackIO samples file is not valid JSON." },
        { "[" + good + ",3]", "OpenTrackIO sample at array position 2 is not a JSON object." },
        { "\n  \n", "The OpenTrackIO samples file holds no sample." },
    };
    for (const auto& [text, message] : cases)
    {
        SCOPED_TRACE(text);
        const std::string path = directory.writeFile("bad.ndjson", text);
        try
        {
            OpenTrackIoSamples samples(path);
            ADD_FAILURE() << "no failure";
        }
        catch (const Failure& failure)
        {
            EXPECT_NE(std::string(failure.what()).find(message), std::string::npos)
                << failure.what();
            EXPECT_NE(failure.detailed().find("Samples File: \"" + path + "\""), std::string::npos);
        }
    }
}

TEST_F(OpenTrackIo, LossesAreStatedOnceWithTheirCornerDisplacementOrFailWhenStrict)
{
    const std::string lens = R"("distortion":[{"radial":[-1e-4],"tangential":[1e-4]},)"
                             R"({"model":"Brown-Conrady U-D","radial":[1e-4]}])";
    const OpenTrackIoSamples samples = read(sample(lens) + "\n" + sample(distortion("-1e-4")) + "\n"
        + sample(distortion("-1e-4") + R"(,"projectionOffset":{"x":0.5,"y":0})"));
    std::vector<const OpenTrackIoSample*> used;
    for (const OpenTrackIoSample& each : samples.samples())
    {
        used.push_back(&each);
    }
    const std::vector<std::string> lines = statedLosses(used, { 1920, 1080 }, false);
    ASSERT_EQ(lines.size(), 3u);
    // p1 at the frame corner (x, y) mm: (2 p1 x y, p1 (r^2 + 2 y^2)), 1920 px over the sensor.
    const double x = sensorWidth / 2;
    const double y = x * 1080 / 1920;
    const double tangential = 1e-4 * std::hypot(2 * x * y, x * x + 3 * y * y) * 1920 / sensorWidth;
    char expected[64];
    std::snprintf(expected, sizeof expected, "up to %.2f px", tangential);
    EXPECT_NE(lines[0].find("tangential"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find(expected), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("in 1 of 3 samples (the first at line 1)"), std::string::npos);
    EXPECT_NE(lines[1].find("distortion centre"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find("at line 3"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("lens.distortion entries"), std::string::npos) << lines[2];

    EXPECT_TRUE(statedLosses({ used[1] }, { 1920, 1080 }, true).empty());
    try
    {
        statedLosses(used, { 1920, 1080 }, true);
        ADD_FAILURE() << "no failure";
    }
    catch (const Failure& failure)
    {
        EXPECT_NE(std::string(failure.what()).find("at line 1 of"), std::string::npos);
    }
}

TEST(OpenTrackIoCommandLine, OptionsAreReadAndExcludeACorrectionFile)
{
    std::ostringstream out;
    std::ostringstream err;
    const char* const arguments[] = { "lenscorrect", "in.exr", "--opentrackio", "take.ndjson",
        "--strict", "--correction-file", "A.tlcf" };
    const CommandLine both = parseCommandLine(7, arguments, out, err);
    EXPECT_EQ(both.exitStatus, 2);
    const CommandLine line = parseCommandLine(5, arguments, out, err);
    ASSERT_TRUE(line.options);
    EXPECT_EQ(line.options->openTrackIo, "take.ndjson");
    EXPECT_TRUE(line.options->strict);
}
} // namespace
