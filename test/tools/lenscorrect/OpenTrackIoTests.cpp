// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// OpenTrackIO samples read from real files, converted to the library's frame JSON and corrected
// by the library's kernels: against the standard's worked values, values computed here, and
// the same correction given as a correction file.
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>

#include <gtest/gtest.h>

#include "CorrectionData/Parser/JsonParser.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "lenscorrect/CommandLine.h"
#include "lenscorrect/Failure.h"
#include "lenscorrect/FrameCorrector.h"
#include "lenscorrect/OpenTrackIoSamples.h"

using namespace LensCorrect;

namespace
{

constexpr std::array<double, 6> radii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };

const std::string staticBlock
    = R"("static":{"camera":{"make":"Maker","model":"Cam \"2\"",)"
      R"("activeSensorPhysicalDimensions":{"width":23.76,"height":13.365},)"
      R"("activeSensorResolution":{"width":1920,"height":1080}}})";

/// One NDJSON line: the lens block, with the static block and a timecode when given.
std::string sample(const std::string& lens, bool withStatic = true, const std::string& tc = "")
{
    return "{" + (withStatic ? staticBlock + "," : "") + R"("lens":{)" + lens + "}"
        + (tc.empty() ? "" : R"(,"timing":{"timecode":)" + tc + "}") + "}";
}

std::string distortion(const std::string& radial, const std::string& model = "Brown-Conrady D-U")
{
    return R"("distortion":[{"model":")" + model + R"(","radial":[)" + radial + "]}]";
}

/// The library's reading of a sample's frame JSON.
CorrectionData::Frame frameOf(const OpenTrackIoSample& sample, CorrectionData::Header& header)
{
    CorrectionData::Frame frame;
    CorrectionData::JsonParser::parse(sample.frameMetadata, header, frame);
    return frame;
}

/// Brown-Conrady U-D inverted by bisection (the reader uses Newton's method): thousandths.
std::array<float, 6> undistortedByBisection(double k1, double k3)
{
    std::array<float, 6> values {};
    for (size_t i = 1; i < radii.size(); ++i)
    {
        double low = 0.0;
        double high = 2.0 * radii[i];
        for (int step = 0; step < 200; ++step)
        {
            const double u = 0.5 * (low + high);
            const double u2 = u * u;
            (u * (1.0 + k1 * u2 + k3 * u2 * u2) < radii[i] ? low : high) = u;
        }
        values[i] = float(1000.0 * (1.0 - low / radii[i]));
    }
    return values;
}

class OpenTrackIo : public ::testing::Test
{
protected:
    OpenTrackIoSamples read(const std::string& text, const std::string& name = "take.ndjson")
    {
        return OpenTrackIoSamples(directory.writeFile(name, text));
    }

    TestSupport::TemporaryDirectory directory;
};

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
        EXPECT_NEAR(header.sensorWidth, 23.76f, 1e-4f);
    }
}

TEST_F(OpenTrackIo, StaticBlockCarriesForwardInLinesAndArraysAndSamplesAreFoundByTimecode)
{
    const auto timecode = [](int frames, int rate)
    {
        return R"({"hours":1,"minutes":0,"seconds":0,"frames":)" + std::to_string(frames)
            + R"(,"frameRate":{"num":)" + std::to_string(rate) + R"(,"denom":1}})";
    };
    std::string other = staticBlock;
    other.replace(other.find("1920"), 4, "3840").replace(other.find("1080"), 4, "2160");
    const std::vector<std::string> lines = {
        sample(distortion("-1e-4"), true, timecode(0, 25)),
        sample(distortion("-2e-4"), false, timecode(1, 25)),
        "{" + other + R"(,"lens":{)" + distortion("-3e-4") + "}}",
        sample(distortion("-4e-4"), false, timecode(1, 24)),
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
    ASSERT_EQ(fromLines.samples().size(), 4u);
    ASSERT_EQ(fromArray.samples().size(), 4u);
    const std::vector<uint32_t> widths = { 1920, 1920, 3840, 3840 };
    for (size_t i = 0; i < widths.size(); ++i)
    {
        EXPECT_EQ(fromLines.samples()[i].frameMetadata, fromArray.samples()[i].frameMetadata);
        CorrectionData::Header header;
        const CorrectionData::Frame frame = frameOf(fromLines.samples()[i], header);
        EXPECT_EQ(header.clipWidth, widths[i]) << i;
        EXPECT_NEAR(frame.radialDistortion[5], (i + 1) * 45.796f, 1e-3f) << i;
    }
    EXPECT_EQ(fromLines.samples()[1].where, "line 3");
    EXPECT_EQ(fromArray.samples()[1].where, "array position 2");

    EXPECT_EQ(
        fromLines.atTimecode(Timecode::Timecode("01:00:00:01", 25.0f)), &fromLines.samples()[1]);
    EXPECT_EQ(
        fromLines.atTimecode(Timecode::Timecode("01:00:00:01", 24.0f)), &fromLines.samples()[3]);
    EXPECT_EQ(fromLines.atTimecode(Timecode::Timecode("01:00:00:02", 25.0f)), nullptr);
    EXPECT_EQ(fromLines.atTimecode(Timecode::Timecode("01:00:00:00", 30.0f)), nullptr);
    EXPECT_EQ(fromLines.atPosition(2), &fromLines.samples()[2]);
    EXPECT_EQ(fromLines.atPosition(4), nullptr);
}

TEST_F(OpenTrackIo, BadSamplesFailNamingTheFileAndTheSample)
{
    const std::string good = sample(distortion("-1e-4"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        { good + "\n{\"lens\": ", "OpenTrackIO sample at line 2 is not valid JSON." },
        { sample(distortion("-1e-4"), false), "at line 1 comes before any static block." },
        { good + "\n\n" + sample(R"("exposureFalloff":{"a1":1e-3})", false),
            "at line 3 has no lens.distortion." },
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
    // p1 at the corner (11.88, 6.6825) mm: (2 p1 x y, p1 (r^2 + 2 y^2)), 1920 px over 23.76 mm.
    const double x = 11.88;
    const double y = 6.6825;
    const double tangential = 1e-4 * std::hypot(2 * x * y, x * x + 3 * y * y) * 1920 / 23.76;
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

/// A smooth picture, different in every channel.
RgbaImage picture(Size size)
{
    RgbaImage image(size);
    for (uint32_t y = 0; y < size.height; ++y)
    {
        for (uint32_t x = 0; x < size.width; ++x)
        {
            for (int channel = 0; channel < 4; ++channel)
            {
                image.pixel(x, y)[channel]
                    = 0.5f + 0.4f * std::sin(0.2f * x + channel) * std::cos(0.15f * y - channel);
            }
        }
    }
    return image;
}

/// The tests that run the library's kernels.
class OpenTrackIoCorrection : public OpenTrackIo
{
};

struct SameCase
{
    const char* model;
    ShadingMode shading;
    DistortionMode distortion;
};

TEST_F(OpenTrackIoCorrection, SamplesCorrectAsTheSameCorrectionFile)
{
    const Size size { 192, 108 };
    const RgbaImage plate = picture(size);
    for (const SameCase& same :
        { SameCase { "Brown-Conrady D-U", ShadingMode::remove, DistortionMode::undistort },
            SameCase { "Brown-Conrady U-D", ShadingMode::add, DistortionMode::distort } })
    {
        SCOPED_TRACE(same.model);
        const OpenTrackIoSamples samples = read(sample(distortion("-1e-4, 0, 2e-8", same.model)
            + R"(,"exposureFalloff":{"a1":1e-3,"a2":-5e-7})"));
        // The same lens as six values at the radii, computed here.
        const bool inverse = std::string(same.model).find("U-D") != std::string::npos;
        const std::array<float, 6> inverted = undistortedByBisection(-1e-4, 2e-8);
        TestSupport::TestCorrectionFile file;
        TestSupport::TestCorrectionFile::Frame values { 0, {}, {}, "" };
        for (size_t i = 0; i < radii.size(); ++i)
        {
            const double r2 = radii[i] * radii[i];
            values.shading[i] = float(100.0 * (1.0 - 1e-3 * r2 + 5e-7 * r2 * r2));
            values.radialDistortion[i]
                = inverse ? inverted[i] : float(1000.0 * (1e-4 * r2 - 2e-8 * r2 * r2));
        }
        file.frames = { values };

        LensSettings settings;
        settings.shading = same.shading;
        settings.distortion = same.distortion;
        // One file per case: the library keeps a parsed file for the process.
        settings.identity = { directory.writeFile(std::string(same.model) + ".tlcf", file.text()),
            directory.path() + "/A001C001.mov" };
        FrameCorrector fromFile(settings, size);
        // The frame's own data wins over the named correction file.
        FrameCorrector fromSample(settings, size);
        fromSample.setFrameMetadata(
            samples.samples()[0].frameMetadata, samples.samples()[0].origin);

        const Size renderSize = fromFile.renderSize(0);
        ASSERT_EQ(fromSample.renderSize(0), renderSize);
        const RgbaImage expected = fromFile.correct(0, renderSize, plate);
        const RgbaImage actual = fromSample.correct(0, renderSize, plate);
        float largest = 0.0f;
        for (size_t i = 0; i < expected.pixels.size(); ++i)
        {
            largest = std::fmax(largest, std::abs(expected.pixels[i] - actual.pixels[i]));
        }
        EXPECT_LT(largest, 1e-5f);
    }
}

TEST_F(OpenTrackIoCorrection, CoefficientsTheLibraryRefusesFailWithItsMessageNamingTheSample)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "1e999", "Metadata for the frame is not available." },
        { "-0.008", "Image radii of" },
    };
    for (const auto& [radial, message] : cases)
    {
        SCOPED_TRACE(radial);
        const OpenTrackIoSamples samples = read("\n" + sample(distortion(radial)));
        LensSettings settings;
        settings.distortion = DistortionMode::undistort;
        settings.identity = { "", directory.path() + "/A001C001.mov" };
        FrameCorrector corrector(settings, { 192, 108 });
        corrector.setFrameMetadata(samples.samples()[0].frameMetadata, samples.samples()[0].origin);
        try
        {
            corrector.renderSize(0);
            ADD_FAILURE() << "no failure";
        }
        catch (const Failure& failure)
        {
            EXPECT_EQ(std::string(failure.what()).rfind(message, 0), 0u) << failure.what();
            EXPECT_NE(failure.detailed().find(
                          "Lens Data: OpenTrackIO sample at line 2 of \"" + samples.path() + "\""),
                std::string::npos)
                << failure.detailed();
        }
    }
}

} // namespace
