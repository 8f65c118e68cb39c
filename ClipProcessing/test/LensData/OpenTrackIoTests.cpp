// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// OpenTrackIO samples read from real files, converted to the library's frame JSON and corrected
// by the library's kernels: against the standard's worked values, values computed here, and
// the same correction given as a correction file.
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <tuple>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Correction/ClipSettings.h"
#include "Correction/FrameCorrector.h"
#include "CorrectionData/Parser/JsonParser.h"
#include "LensData/OpenTrackIoLosses.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "ToolTestSupport.h"
#include "lenscorrect/CommandLine.h"

using namespace LensCorrect;

namespace
{

constexpr std::array<double, 6> radii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };

/// A 16:9 sensor whose corner lies at 21.4 mm: the library's radii are the sample's millimetres.
constexpr double sensorWidth = 37.303433;
const std::string staticBlock
    = R"("static":{"camera":{"make":"Maker","model":"Cam \"2\"",)"
      R"("activeSensorPhysicalDimensions":{"width":37.303433,"height":20.983181},)"
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
        // The sensor width the library derives from the sample, to the last bit.
        TestSupport::TestCorrectionFile file;
        CorrectionData::Header header;
        frameOf(samples.samples()[0], header);
        char width[32];
        std::snprintf(width, sizeof width, "%.9g", double(header.sensorWidth));
        file.sensorWidth = width;
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

/// The standard's lens model and exposure falloff, written here from its formulas: the
/// reference that the library's maps are measured against.
struct ReferenceLens
{
    bool undistortedToDistorted;
    /// k1, k2, k3 in mm: R(r) = (1 + k1 r^2 + k3 r^4) / (1 + k2 r^2).
    std::array<double, 3> k;
    /// a1, a2, a3: v(r) = 1 - (a1 r^2 + a2 r^4 + a3 r^6).
    std::array<double, 3> a;

    /// r R(r), with its slope.
    double forward(double r, double& slope) const
    {
        const double r2 = r * r;
        const double numerator = 1.0 + k[0] * r2 + k[2] * r2 * r2;
        const double denominator = 1.0 + k[1] * r2;
        slope = (numerator + r * (2.0 * k[0] * r + 4.0 * k[2] * r2 * r)) / denominator
            - r * numerator * 2.0 * k[1] * r / (denominator * denominator);
        return r * numerator / denominator;
    }
    /// The radius that forward maps to `target`, by Newton's method.
    double inverse(double target) const
    {
        double r = target;
        for (int step = 0; step < 50; ++step)
        {
            double slope = 0.0;
            const double change = (forward(r, slope) - target) / slope;
            r -= change;
            if (std::abs(change) <= 1e-13 * (1.0 + r))
            {
                break;
            }
        }
        return r;
    }
    double undistorted(double distorted) const
    {
        double slope = 0.0;
        return undistortedToDistorted ? inverse(distorted) : forward(distorted, slope);
    }
    double distorted(double undistorted) const
    {
        double slope = 0.0;
        return undistortedToDistorted ? forward(undistorted, slope) : inverse(undistorted);
    }
    double falloff(double r) const
    {
        const double t = r * r;
        return 1.0 - t * (a[0] + t * (a[1] + t * a[2]));
    }
};

struct SensorCase
{
    const char* name;
    double width; ///< mm
    double height;
    Size picture; ///< The active area in pixels, of the same aspect ratio.
    Size plate; ///< With an overscan margin where larger.
};

struct LensCase
{
    const char* name;
    bool undistortedToDistorted;
    /// k1, k2, k3 as fractions at the frame corner (k1 R^2, k2 R^2, k3 R^4), so that a lens is
    /// as strong on each sensor.
    std::array<double, 3> atCorner;
};

/// The largest distances between where an ST-map takes its pixels from and where the reference
/// does, in plate pixels.
struct MapError
{
    double insideCorner = 0.0; ///< Where the recorded radius is within the active area's corner.
    double anywhere = 0.0; ///< Wherever the output is taken wholly from the plate.
};

/// An ST-map against the reference lens. Output and plate share one pixel grid, the plate
/// centred in the output. `onCanvas`: the lens drawn as the library lays it on an enlarged
/// output, about the output's centre and with its half diagonal at the corner's undistorted
/// radius; else about the plate's centre at the plate's own millimetres per pixel.
MapError stMapError(const RgbaImage& map, const ReferenceLens& lens, const SensorCase& sensor,
    bool undistort, bool onCanvas)
{
    const Size plate = sensor.plate;
    const Size output = map.size;
    const double offsetX = (output.width - plate.width) / 2;
    const double offsetY = (output.height - plate.height) / 2;
    const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
    double mmPerPixelX = sensor.width / sensor.picture.width;
    double mmPerPixelY = sensor.height / sensor.picture.height;
    double centreX = offsetX + plate.width / 2.0 - 0.5;
    double centreY = offsetY + plate.height / 2.0 - 0.5;
    if (onCanvas)
    {
        const double plateCorner
            = 0.5 * std::hypot(plate.width * mmPerPixelX, plate.height * mmPerPixelY);
        mmPerPixelX = (undistort ? lens.undistorted(plateCorner) : plateCorner)
            / (0.5 * std::hypot(double(output.width), double(output.height)));
        mmPerPixelY = mmPerPixelX;
        centreX = output.width / 2.0 - 0.5;
        centreY = output.height / 2.0 - 0.5;
    }
    MapError error;
    for (uint32_t y = 0; y < output.height; ++y)
    {
        for (uint32_t x = 0; x < output.width; ++x)
        {
            const float* pixel = map.pixel(x, y);
            if (pixel[3] < 0.999f)
            {
                continue;
            }
            const double outX = (x - centreX) * mmPerPixelX;
            const double outY = (y - centreY) * mmPerPixelY;
            const double radius = std::hypot(outX, outY);
            const double source = radius == 0.0
                ? 0.0
                : (undistort ? lens.distorted(radius) : lens.undistorted(radius));
            const double scale = radius == 0.0 ? 1.0 : source / radius;
            const double sourceX = outX * scale / mmPerPixelX + centreX - offsetX;
            const double sourceY = outY * scale / mmPerPixelY + centreY - offsetY;
            const double mapX = pixel[0] * double(plate.width) - 0.5;
            const double mapY = (1.0 - pixel[1]) * double(plate.height) - 0.5;
            const double distance = std::hypot(mapX - sourceX, mapY - sourceY);
            error.anywhere = std::fmax(error.anywhere, distance);
            if ((undistort ? source : radius) <= corner)
            {
                error.insideCorner = std::fmax(error.insideCorner, distance);
            }
        }
    }
    return error;
}

/// The largest relative difference, in percent, of a gain map from 1 / v(r) within the active
/// area's corner.
double gainMapError(const RgbaImage& map, const ReferenceLens& lens, const SensorCase& sensor)
{
    const double mmPerPixelX = sensor.width / sensor.picture.width;
    const double mmPerPixelY = sensor.height / sensor.picture.height;
    const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
    double largest = 0.0;
    for (uint32_t y = 0; y < sensor.plate.height; ++y)
    {
        for (uint32_t x = 0; x < sensor.plate.width; ++x)
        {
            const double radius = std::hypot((x - sensor.plate.width / 2.0 + 0.5) * mmPerPixelX,
                (y - sensor.plate.height / 2.0 + 0.5) * mmPerPixelY);
            if (radius <= corner)
            {
                const double expected = 1.0 / lens.falloff(radius);
                largest = std::fmax(largest, std::abs(map.pixel(x, y)[0] / expected - 1.0) * 100.0);
            }
        }
    }
    return largest;
}

TEST_F(OpenTrackIoCorrection, MapsAgreeWithTheStandardsFormulasOverTheWholeFrame)
{
    const std::vector<SensorCase> sensors = {
        { "Super 35, 24.89 x 14 mm", 24.89, 14.0, { 1920, 1080 }, { 1920, 1080 } },
        { "36.7 x 25.5 mm", 36.7, 25.5, { 1920, 1334 }, { 1920, 1334 } },
        { "54 x 26 mm", 54.0, 26.0, { 1944, 936 }, { 1944, 936 } },
        { "Super 35, 10 % overscan", 24.89, 14.0, { 1920, 1080 }, { 2112, 1188 } },
    };
    const std::vector<LensCase> lenses = {
        { "moderate", false, { 0.03, 0.0, 0.0 } },
        { "wide", false, { 0.10, 0.01, 0.04 } },
        { "moderate", true, { -0.03, 0.0, 0.0 } },
        { "wide", true, { -0.10, 0.01, 0.01 } },
    };
    std::printf("| Sensor | Plate | Lens | Model | Undistort, px: inside / anywhere | "
                "On the canvas, px | Distort, px: inside / anywhere | Shading |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (const SensorCase& sensor : sensors)
    {
        const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
        const double c2 = corner * corner;
        double gain = 0.0;
        for (const LensCase& lensCase : lenses)
        {
            SCOPED_TRACE(std::string(sensor.name) + ", " + lensCase.name
                + (lensCase.undistortedToDistorted ? " U-D" : " D-U"));
            const ReferenceLens lens { lensCase.undistortedToDistorted,
                { lensCase.atCorner[0] / c2, lensCase.atCorner[1] / c2,
                    lensCase.atCorner[2] / (c2 * c2) },
                { 0.3 / c2, -0.05 / (c2 * c2), 0.02 / (c2 * c2 * c2) } };
            char text[512];
            std::snprintf(text, sizeof text,
                R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":%.17g,)"
                R"("height":%.17g},"activeSensorResolution":{"width":%u,"height":%u}}},)"
                R"("lens":{"distortion":[{"model":"%s","radial":[%.17g,%.17g,%.17g]}],)"
                R"("exposureFalloff":{"a1":%.17g,"a2":%.17g,"a3":%.17g}}})",
                sensor.width, sensor.height, sensor.picture.width, sensor.picture.height,
                lens.undistortedToDistorted ? "Brown-Conrady U-D" : "Brown-Conrady D-U", lens.k[0],
                lens.k[1], lens.k[2], lens.a[0], lens.a[1], lens.a[2]);
            // As a run reads them for its plate.
            const OpenTrackIoSamples samples(directory.writeFile("take.ndjson", text),
                SamplePlate { sensor.picture, overscanPercent(sensor.plate, sensor.picture) });
            const OpenTrackIoSample& sample = samples.samples().at(0);
            const auto corrector = [&](LensSettings settings)
            {
                settings.identity = { "", directory.path() + "/A001C001.mov" };
                if (sensor.plate != sensor.picture)
                {
                    settings.sizeWithoutOverscan = sensor.picture;
                }
                auto made = std::make_unique<FrameCorrector>(settings, sensor.plate);
                made->setFrameMetadata(sample.frameMetadata, sample.origin);
                return made;
            };

            LensSettings settings;
            settings.distortion = DistortionMode::undistort;
            const auto undistortion = corrector(settings);
            const RgbaImage undistorted = undistortion->stMap(0, undistortion->renderSize(0));
            const MapError onPlate = stMapError(undistorted, lens, sensor, true, false);
            const MapError onCanvas = stMapError(undistorted, lens, sensor, true, true);
            settings.distortion = DistortionMode::distort;
            const auto distortion = corrector(settings);
            const MapError distort = stMapError(
                distortion->stMap(0, distortion->renderSize(0)), lens, sensor, false, false);
            // Every lens of a sensor has the same falloff.
            if (&lensCase == &lenses.front())
            {
                settings.distortion.reset();
                settings.shading = ShadingMode::remove;
                gain = gainMapError(corrector(settings)->gainMap(0), lens, sensor);
            }

            std::printf("| %s | %ux%u | %s | %s | %.3f / %.3f | %.3f | %.3f / %.3f | %.4f %% |\n",
                sensor.name, sensor.plate.width, sensor.plate.height, lensCase.name,
                lens.undistortedToDistorted ? "U-D" : "D-U", onPlate.insideCorner, onPlate.anywhere,
                onCanvas.insideCorner, distort.insideCorner, distort.anywhere, gain);
            // The lens curves within the active area, and everywhere on the plate.
            EXPECT_LE(onCanvas.insideCorner, 0.1);
            EXPECT_LE(distort.insideCorner, 0.1);
            EXPECT_LE(onPlate.anywhere, 0.5);
            EXPECT_LE(distort.anywhere, 0.5);
            EXPECT_LE(gain, 0.1);
        }
    }
}

/// Tiny plate frames 1001... labelled 01:00:SS:FF from `firstLabel` on at `rate`, which their
/// files also name.
void writePlate(const std::string& directory, int count, int firstLabel, int rate)
{
    const auto bcd = [](int value) { return unsigned(value / 10 * 16 + value % 10); };
    for (int i = 0; i < count; ++i)
    {
        ToolTest::Image image = ToolTest::testImage(32, 18, 3, i);
        const int label = firstLabel + i;
        const unsigned word[2] = { bcd(label % rate) | bcd(label / rate) << 8 | bcd(1) << 24, 0u };
        image.spec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, word);
        const int fps[2] = { rate, 1 };
        image.spec.attribute("FramesPerSecond", OIIO::TypeRational, fps);
        ToolTest::writeImage(
            directory + "/plate/plate." + std::to_string(1001 + i) + ".exr", image);
    }
}

/// Samples labelled from 01:00:00:00 on at num/denom, `subFrames` of them per label, one a line.
std::string timedSamples(int count, int num, int denom, int subFrames)
{
    std::string text;
    const int perSecond = (num + denom - 1) / denom;
    for (int label = 0; label < count; ++label)
    {
        for (int subFrame = 0; subFrame < subFrames; ++subFrame)
        {
            text += "{" + staticBlock + R"(,"lens":{)" + distortion("0")
                + R"(},"timing":{"timecode":{"hours":1,"minutes":0,"seconds":)"
                + std::to_string(label / perSecond) + R"(,"frames":)"
                + std::to_string(label % perSecond) + R"(,"frameRate":{"num":)"
                + std::to_string(num) + R"(,"denom":)" + std::to_string(denom) + R"(},"subFrame":)"
                + std::to_string(subFrame) + "}}}\n";
        }
    }
    return text;
}

struct RateCase
{
    const char* name;
    int plateRate;
    std::vector<std::string> options;
    std::array<int, 3> sampleRate; ///< num, denom, samples per label
    int status;
    std::vector<std::string> said;
};

TEST_F(OpenTrackIoCorrection, PlateFramesTakeTheSampleAtTheirStartFromBothRates)
{
    const std::string first = "1001  plate.1001.exr  01:00:00:05  -> sample line ";
    const std::string third = "1003  plate.1003.exr  01:00:00:07  -> sample line ";
    const std::vector<RateCase> cases = {
        { "25 against 50", 25, {}, { 50, 1, 1 }, 0,
            { first + "11 (01:00:00:10)", third + "15 (01:00:00:14)",
                "(smpte:TimeCode, plate 25 fps from the files, samples 50 fps: each frame takes "
                "the sample at its start, 1 of every 2)" } },
        { "24 against 48 with sub-frames", 24, {}, { 48, 1, 2 }, 0,
            { first + "21 (01:00:00:10)", third + "29 (01:00:00:14)",
                "1 of every 2; samples with sub-frames, each frame takes the one at its start "
                "(sub-frame 0)" } },
        { "24 against 24 with sub-frames", 24, {}, { 24, 1, 2 }, 0,
            { first + "11 (01:00:00:05)", third + "15 (01:00:00:07)" } },
        { "--fps before the files' rate", 25, { "--fps", "24" }, { 48, 1, 1 }, 0,
            { first + "11 (01:00:00:10)", "plate 24 fps from --fps, samples 48 fps" } },
        { "--first-frame counts from the first sample", 25, { "--first-frame", "1001" },
            { 50, 1, 1 }, 0,
            { "1001  plate.1001.exr  01:00:00:05  -> sample line 1 (01:00:00:00)",
                "1002  plate.1002.exr  01:00:00:06  -> sample line 3 (01:00:00:02)" } },
        { "25 against 24", 25, {}, { 24, 1, 1 }, 1,
            { "The plate at 25 fps cannot be matched to OpenTrackIO samples at 24 fps: the "
              "samples' rate is not a whole multiple of the plate's.",
                "Sample Rate: 24 fps (24/1) at line 1" } },
        { "50 against 25", 50, {}, { 25, 1, 1 }, 1,
            { "The plate at 50 fps cannot be matched to OpenTrackIO samples at 25 fps" } },
        { "30 against 29.97", 30, {}, { 30000, 1001, 1 }, 1,
            { "The plate at 30 fps cannot be matched to OpenTrackIO samples at 29.97 fps" } },
    };
    for (const RateCase& rate : cases)
    {
        SCOPED_TRACE(rate.name);
        TestSupport::TemporaryDirectory run;
        writePlate(run.path(), 3, 5, rate.plateRate);
        const std::string samples = run.writeFile("take.ndjson",
            timedSamples(20, rate.sampleRate[0], rate.sampleRate[1], rate.sampleRate[2]));
        std::vector<std::string> arguments { run.path() + "/plate/plate.####.exr", "--shading",
            "remove", "--opentrackio", samples, "--dry-run" };
        arguments.insert(arguments.end(), rate.options.begin(), rate.options.end());
        const ToolTest::ToolRun result = ToolTest::runTool(arguments);
        EXPECT_EQ(result.status, rate.status) << result.messages;
        for (const std::string& line : rate.said)
        {
            EXPECT_NE(result.messages.find(line), std::string::npos) << line << "\n"
                                                                     << result.messages;
        }
    }
}

TEST_F(OpenTrackIoCorrection, ASampleFailsItsFrameOnlyForTheCorrectionItCannotServe)
{
    // No resolution: the plate's size. Frame 1002's sample has no distortion, frame 1003's
    // falloff (the standard's complete example) turns negative inside the frame.
    const std::string camera
        = R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":24.89,"height":14}}},)";
    const auto timing = [](int frame)
    {
        return R"("timing":{"timecode":{"hours":1,"minutes":0,"seconds":0,"frames":)"
            + std::to_string(frame) + R"(,"frameRate":{"num":25,"denom":1}}}})";
    };
    const std::string samples = directory.writeFile("take.ndjson",
        camera + R"("lens":{)" + distortion("1e-4") + "}," + timing(5) + "\n"
            + R"({"lens":{"exposureFalloff":{"a1":1e-3}},)" + timing(6) + "\n" + R"({"lens":{)"
            + distortion("1e-4") + R"(,"exposureFalloff":{"a1":1,"a2":2,"a3":3}},)" + timing(7)
            + "\n");
    writePlate(directory.path(), 3, 5, 25);
    const std::string plate = directory.path() + "/plate/plate.####.exr";
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        { "--distortion", 1002,
            "no lens data: The OpenTrackIO sample for the frame has no lens.distortion." },
        { "--shading", 1003,
            "no lens data: The OpenTrackIO sample for the frame has an exposure falloff that "
            "reaches zero or below inside the frame." },
    };
    for (const auto& [option, failing, reason] : cases)
    {
        SCOPED_TRACE(option);
        const ToolTest::ToolRun dry
            = ToolTest::runTool({ plate, option, option == "--shading" ? "remove" : "undistort",
                "--opentrackio", samples, "--dry-run" });
        EXPECT_EQ(dry.status, 1) << dry.messages;
        EXPECT_NE(dry.messages.find(std::to_string(failing) + "  plate." + std::to_string(failing)
                      + ".exr  01:00:00:0" + std::to_string(failing - 996) + "  -> " + reason),
            std::string::npos)
            << dry.messages;
        // The other two frames take their samples.
        size_t found = 0;
        for (size_t at = 0; (at = dry.messages.find("-> sample line", at)) != std::string::npos;
             ++at)
        {
            ++found;
        }
        EXPECT_EQ(found, 2u) << dry.messages;
    }
    const ToolTest::ToolRun run = ToolTest::runTool({ plate, "--shading", "remove", "--opentrackio",
        samples, "--keep-going", "-o", directory.path() + "/out/plate.####.exr" });
    EXPECT_EQ(run.status, 1) << run.messages;
    EXPECT_EQ(ToolTest::filesIn(directory.path() + "/out"),
        (std::vector<std::string> { "plate.1001.exr", "plate.1002.exr" }));
    EXPECT_NE(run.messages.find("1 frame failed: 1003"), std::string::npos) << run.messages;
}

} // namespace
