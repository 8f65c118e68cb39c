// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Frames corrected by the library's kernels from OpenTrackIO samples: as the same correction given
// as a correction file, and through the tool, each plate frame taking its sample by time. The
// maps against the standard's formulas are tested in OpenTrackIoMapTests.cpp.
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Correction/CorrectorSettings.h"
#include "Correction/FrameCorrector.h"
#include "OpenTrackIoTestSupport.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "ToolTestSupport.h"

using namespace LensCorrect;
using namespace OpenTrackIoTesting;

namespace
{

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
