// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The tool end to end: real image files in a temporary directory, a real correction file, the
// library's kernels on the OpenCL runtime, results checked against computations written here.
#include <cmath>
#include <filesystem>
#include <fstream>

#include <OpenImageIO/color.h>
#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;
namespace fs = std::filesystem;

namespace
{

/// Lens data whose shading factor is the same everywhere: `shading` percent at every radius,
/// and no distortion, so that removing it multiplies linear light by 100 / shading.
constexpr float flatShading = 50.0f;

class LensCorrect : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// Writes lens data for `frames` frames and returns its path.
    std::string lens(const std::vector<std::pair<float, float>>& frames,
        const std::string& name = "A001C001.tlcf")
    {
        return directory.writeFile(name, correctionFile(frames).text());
    }

    ToolRun run(std::vector<std::string> arguments, const std::string& correctionFilePath)
    {
        const std::vector<std::string> data = lensData(correctionFilePath);
        arguments.insert(arguments.end(), data.begin(), data.end());
        return runTool(arguments);
    }

    TestSupport::TemporaryDirectory directory;
};

/// The linear light of an image's colour channels: float data as it is, integer data from sRGB.
std::vector<float> linearLight(const Image& image)
{
    std::vector<float> pixels = image.pixels;
    if (image.spec.format.is_floating_point())
    {
        return pixels;
    }
    const OIIO::ColorConfig config;
    const auto processor = config.createColorProcessor("sRGB", "linear");
    for (size_t i = 0; i + image.spec.nchannels <= pixels.size(); i += image.spec.nchannels)
    {
        float colour[3] = { pixels[i], pixels[i + 1], pixels[i + 2] };
        processor->apply(colour, 1, 1, 3, sizeof(float), 3 * sizeof(float), 3 * sizeof(float));
        std::copy(colour, colour + 3, &pixels[i]);
    }
    return pixels;
}

struct FormatCase
{
    const char* extension;
    OIIO::TypeDesc::BASETYPE type;
    int channels;
    float tolerance; ///< Linear light, after two trips through the file's encoding.
};

void PrintTo(const FormatCase& format, std::ostream* stream)
{
    *stream << format.extension << " " << OIIO::TypeDesc(format.type).c_str() << " "
            << format.channels << " channels";
}

class LensCorrectFormats : public LensCorrect, public ::testing::WithParamInterface<FormatCase>
{
};

} // namespace

TEST_P(LensCorrectFormats, SequenceKeepsFormatChannelsAndNumbering)
{
    const FormatCase format = GetParam();
    const std::string extension = format.extension;
    writeSequence(
        path("in/plate.%04d." + extension), 1001, 3, 64, 36, format.channels, format.type);
    const std::string lensFile
        = lens({ { flatShading, 0.0f }, { flatShading, 0.0f }, { flatShading, 0.0f } });

    const ToolRun result = run({ path("in/plate.####." + extension), "--shading", "add", "-o",
                                   path("out/plate.####." + extension) },
        lensFile);
    ASSERT_EQ(result.status, 0) << result.messages;

    EXPECT_EQ(filesIn(path("out")),
        (std::vector<std::string> {
            "plate.1001." + extension, "plate.1002." + extension, "plate.1003." + extension }));
    for (int frame = 1001; frame <= 1003; ++frame)
    {
        const std::string name = "plate." + std::to_string(frame) + "." + extension;
        const Image input = readImage(path("in/" + name));
        const Image output = readImage(path("out/" + name));
        ASSERT_EQ(output.spec.width, 64);
        ASSERT_EQ(output.spec.height, 36);
        ASSERT_EQ(output.spec.nchannels, format.channels);
        EXPECT_EQ(output.spec.format, input.spec.format);
        const std::vector<float> before = linearLight(input);
        const std::vector<float> after = linearLight(output);
        for (size_t i = 0; i < before.size(); ++i)
        {
            // Adding a flat 50 % shading halves the light; alpha stays.
            const bool alpha = format.channels == 4 && i % 4 == 3;
            ASSERT_NEAR(
                after[i], alpha ? before[i] : before[i] * flatShading / 100.0f, format.tolerance)
                << name << " value " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, LensCorrectFormats,
    ::testing::Values(FormatCase { "exr", OIIO::TypeDesc::HALF, 4, 2e-3f },
        FormatCase { "exr", OIIO::TypeDesc::FLOAT, 3, 1e-6f },
        FormatCase { "exr", OIIO::TypeDesc::HALF, 1, 2e-3f },
        FormatCase { "tif", OIIO::TypeDesc::UINT16, 3, 1e-4f },
        FormatCase { "png", OIIO::TypeDesc::UINT8, 4, 1.5e-2f },
        FormatCase { "dpx", OIIO::TypeDesc::UINT16, 3, 1e-4f }),
    [](const auto& info)
    {
        return std::string(info.param.extension) + OIIO::TypeDesc(info.param.type).c_str()
            + std::to_string(info.param.channels);
    });

TEST_F(LensCorrect, HdrValuesAlphaMetadataAndDataWindowPassThroughExr)
{
    Image plate = testImage(64, 36, 4);
    plate.pixels[0] = 4.0f; // Above 1 and below 0 pass through the float pipeline.
    plate.pixels[1] = -0.5f;
    plate.spec.x = 3;
    plate.spec.y = 2;
    plate.spec.full_x = 0;
    plate.spec.full_y = 0;
    plate.spec.full_width = 70;
    plate.spec.full_height = 40;
    plate.spec.attribute("compression", "piz");
    plate.spec.attribute("comment", "plate from reel 7");
    writeImage(path("plate.exr"), plate);

    const ToolRun result = run({ path("plate.exr"), "--shading", "remove", "-o", path("out.exr") },
        lens({ { flatShading, 0.0f } }));
    ASSERT_EQ(result.status, 0) << result.messages;

    const Image output = readImage(path("out.exr"));
    EXPECT_EQ(output.spec.get_string_attribute("compression"), "piz");
    EXPECT_EQ(output.spec.get_string_attribute("comment"), "plate from reel 7");
    EXPECT_EQ(output.spec.format, OIIO::TypeFloat);
    EXPECT_EQ((std::array { output.spec.x, output.spec.y, output.spec.width, output.spec.height }),
        (std::array { 3, 2, 64, 36 }));
    EXPECT_EQ(output.spec.full_width, 70);
    for (size_t i = 0; i < plate.pixels.size(); ++i)
    {
        ASSERT_FLOAT_EQ(output.pixels[i], i % 4 == 3 ? plate.pixels[i] : plate.pixels[i] * 2.0f)
            << i;
    }
}

TEST_F(LensCorrect, DistortionEnlargesIntoTheExrDataWindowOrTheFrame)
{
    writeImage(path("plate.exr"), testImage(192, 108, 3));
    const std::string lensFile = lens({ { 100.0f, -40.0f } });

    ASSERT_EQ(
        run({ path("plate.exr"), "--distortion", "undistort", "-o", path("out.exr") }, lensFile)
            .status,
        0);
    const Image exr = readImage(path("out.exr"));
    EXPECT_GT(exr.spec.width, 192);
    EXPECT_GT(exr.spec.height, 108);
    // The picture keeps its display window; the enlarged frame grows around it.
    EXPECT_EQ((std::array {
                  exr.spec.full_x, exr.spec.full_y, exr.spec.full_width, exr.spec.full_height }),
        (std::array { 0, 0, 192, 108 }));
    EXPECT_EQ(exr.spec.x, -(exr.spec.width - 192) / 2);
    EXPECT_EQ(exr.spec.y, -(exr.spec.height - 108) / 2);

    ASSERT_EQ(
        run({ path("plate.exr"), "--distortion", "undistort", "-o", path("out.tif") }, lensFile)
            .status,
        0);
    const Image tiff = readImage(path("out.tif"));
    EXPECT_EQ((std::array { tiff.spec.x, tiff.spec.y, tiff.spec.width, tiff.spec.height }),
        (std::array { 0, 0, exr.spec.width, exr.spec.height }));
    for (int y = exr.spec.y; y < exr.spec.y + exr.spec.height; y += 7)
    {
        ASSERT_EQ(
            tiff.at(y - exr.spec.y, y - exr.spec.y, 1), exr.at(exr.spec.x + y - exr.spec.y, y, 1));
    }

    ASSERT_EQ(run({ path("plate.exr"), "--distortion", "undistort", "--keep-size", "-o",
                      path("kept.exr") },
                  lensFile)
                  .status,
        0);
    const Image kept = readImage(path("kept.exr"));
    EXPECT_EQ((std::array { kept.spec.x, kept.spec.y, kept.spec.width, kept.spec.height }),
        (std::array { 0, 0, 192, 108 }));
    EXPECT_EQ(kept.at(50, 40, 2), exr.at(50, 40, 2));
}

TEST_F(LensCorrect, StMapReproducesTheDistortionCorrection)
{
    const Image plate = testImage(192, 108, 4);
    writeImage(path("plate.exr"), plate);
    const ToolRun result = run({ path("plate.exr"), "--distortion", "undistort", "-o",
                                   path("out.exr"), "--stmap", path("stmap.exr") },
        lens({ { 100.0f, -30.0f } }));
    ASSERT_EQ(result.status, 0) << result.messages;
    const Image output = readImage(path("out.exr"));
    const Image map = readImage(path("stmap.exr"));
    ASSERT_EQ(map.spec.width, output.spec.width);
    ASSERT_EQ(map.spec.x, output.spec.x);

    // A standard STMap lookup: bilinear at (s * width - 0.5, (1 - t) * height - 0.5) of the plate.
    size_t inside = 0;
    for (int y = map.spec.y; y < map.spec.y + map.spec.height; ++y)
    {
        for (int x = map.spec.x; x < map.spec.x + map.spec.width; ++x)
        {
            if (map.at(x, y, 3) < 0.9999f)
            {
                continue;
            }
            ++inside;
            const float u = map.at(x, y, 0) * 192.0f - 0.5f;
            const float v = (1.0f - map.at(x, y, 1)) * 108.0f - 0.5f;
            const int left = int(std::floor(u));
            const int top = int(std::floor(v));
            const float fx = u - left;
            const float fy = v - top;
            for (int channel = 0; channel < 4; ++channel)
            {
                const auto value = [&](int px, int py)
                { return plate.at(std::clamp(px, 0, 191), std::clamp(py, 0, 107), channel); };
                const float expected
                    = (value(left, top) * (1 - fx) + value(left + 1, top) * fx) * (1 - fy)
                    + (value(left, top + 1) * (1 - fx) + value(left + 1, top + 1) * fx) * fy;
                ASSERT_NEAR(output.at(x, y, channel), expected, 2e-3f) << x << "," << y;
            }
        }
    }
    EXPECT_GT(inside, size_t(192 * 108 * 9 / 10));
}

TEST_F(LensCorrect, GainMapReproducesTheShadingCorrection)
{
    const Image plate = testImage(192, 108, 3);
    writeImage(path("plate.exr"), plate);
    TestSupport::TestCorrectionFile file = correctionFile({ { 100.0f, 0.0f } });
    file.frames[0].shading = { 100.0f, 97.0f, 90.0f, 78.0f, 70.0f, 60.0f };
    const ToolRun result = run({ path("plate.exr"), "--shading", "remove", "-o", path("out.exr"),
                                   "--gain-map", path("gain.exr") },
        directory.writeFile("A001C001.tlcf", file.text()));
    ASSERT_EQ(result.status, 0) << result.messages;
    const Image output = readImage(path("out.exr"));
    const Image gain = readImage(path("gain.exr"));
    ASSERT_EQ(gain.spec.nchannels, 4);
    // More light is given back towards the corners than in the middle.
    EXPECT_GT(gain.at(0, 0, 0), gain.at(96, 54, 0) * 1.01f);
    for (int y = 0; y < 108; ++y)
    {
        for (int x = 0; x < 192; ++x)
        {
            for (int channel = 0; channel < 3; ++channel)
            {
                ASSERT_NEAR(output.at(x, y, channel),
                    plate.at(x, y, channel) * gain.at(x, y, channel), 1e-5f);
            }
        }
    }
}

TEST_F(LensCorrect, FrameRangesFirstFrameAndRateSelectTheLensData)
{
    writeSequence(path("in/p.%04d.exr"), 1001, 6, 64, 36, 3, OIIO::TypeFloat);
    // Lens data frame n removes a flat shading of 100 - 10 n percent.
    std::vector<std::pair<float, float>> frames;
    for (int n = 0; n < 6; ++n)
    {
        frames.push_back({ 100.0f - 10.0f * n, 0.0f });
    }
    const std::string lensFile = lens(frames);
    const auto gainOf = [&](int frame)
    {
        const std::string name = "p." + std::to_string(frame) + ".exr";
        return readImage(path("out/" + name)).pixels[5] / readImage(path("in/" + name)).pixels[5];
    };

    ASSERT_EQ(run({ path("in/p.####.exr"), "--shading", "remove", "--frames", "1003-1004", "-o",
                      path("out/p.####.exr") },
                  lensFile)
                  .status,
        0);
    EXPECT_EQ(filesIn(path("out")), (std::vector<std::string> { "p.1003.exr", "p.1004.exr" }));
    EXPECT_NEAR(gainOf(1003), 100.0f / 80.0f, 1e-5f); // Clip frame 2.

    ASSERT_EQ(run({ path("in/p.####.exr"), "--shading", "remove", "--frames", "1003",
                      "--first-frame", "1000", "-o", path("out/p.####.exr") },
                  lensFile)
                  .status,
        0);
    EXPECT_NEAR(gainOf(1003), 100.0f / 70.0f, 1e-5f); // Clip frame 3.

    // The clip plays at 50 frames per second, the lens data was recorded at 25.
    ASSERT_EQ(run({ path("in/p.1001.exr"), "--shading", "remove", "--frames", "1006", "--fps", "50",
                      "-o", path("out/p.####.exr") },
                  lensFile)
                  .status,
        0);
    EXPECT_NEAR(gainOf(1006), 100.0f / 80.0f, 1e-5f); // Clip frame 5 at 50 fps is frame 2.

    const ToolRun before = run({ path("in/p.####.exr"), "--shading", "remove", "--first-frame",
                                   "1002", "--frames", "1001", "-o", path("out/p.####.exr") },
        lensFile);
    EXPECT_EQ(before.status, 1);
    EXPECT_NE(
        before.messages.find("The frame lies before the clip's first frame."), std::string::npos)
        << before.messages;
}

TEST_F(LensCorrect, FindsTheCorrectionFileBesideTheClipAndChecksItsName)
{
    writeImage(path("shot/plate.exr"), testImage(64, 36, 3));
    directory.writeFile("shot/lens-data.tlcf", correctionFile({ { flatShading, 0.0f } }).text());

    const ToolRun found = runTool({ path("shot/plate.exr"), "--clip-name", "A001C001.mov",
        "--shading", "remove", "-o", path("found.exr") });
    EXPECT_EQ(found.status, 0) << found.messages;

    const ToolRun other = runTool({ path("shot/plate.exr"), "--clip-name", "B002C004.mov",
        "--shading", "remove", "-o", path("other.exr") });
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.messages.find("Correction file could not be found."), std::string::npos)
        << other.messages;
    EXPECT_FALSE(fs::exists(path("other.exr")));
}

TEST_F(LensCorrect, ManualRecordingFormatStandsInForMissingSensorData)
{
    writeImage(path("plate.exr"), testImage(64, 36, 3));
    TestSupport::TestCorrectionFile file = correctionFile({ { flatShading, 0.0f } });
    file.sensorWidth = "0";
    file.cameraManufacturer = "Nobody";
    const std::string lensFile = directory.writeFile("A001C001.tlcf", file.text());

    const ToolRun missing
        = run({ path("plate.exr"), "--shading", "remove", "-o", path("a.exr") }, lensFile);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.messages.find("There is no valid data available for the recording format."),
        std::string::npos)
        << missing.messages;

    const ToolRun manual = run({ path("plate.exr"), "--shading", "remove", "--sensor-size",
                                   "23.76:0", "--resolution", "1920:1080", "-o", path("b.exr") },
        lensFile);
    EXPECT_EQ(manual.status, 0) << manual.messages;
}

TEST_F(LensCorrect, FailedRunLeavesNoPartialFileAndSkipExistingCompletesIt)
{
    writeSequence(path("in/p.%04d.tif"), 1, 4, 64, 36, 3, OIIO::TypeUInt16);
    // Frame 3's header promises pixels that its data does not hold.
    const std::string broken = path("in/p.0003.tif");
    const std::string whole = path("whole.tif");
    fs::copy_file(broken, whole);
    fs::resize_file(broken, fs::file_size(broken) / 2);
    const std::string lensFile = lens({ { flatShading, 0.0f }, { flatShading, 0.0f },
        { flatShading, 0.0f }, { flatShading, 0.0f }, { flatShading, 0.0f } });
    const std::vector<std::string> arguments { path("in/p.####.tif"), "--shading", "remove", "-o",
        path("out/p.####.tif"), "--skip-existing" };

    const ToolRun failed = run(arguments, lensFile);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.messages.find("frame 3: The frame cannot be read."), std::string::npos)
        << failed.messages;
    EXPECT_EQ(filesIn(path("out")), (std::vector<std::string> { "p.0001.tif", "p.0002.tif" }));

    const auto written = fs::last_write_time(path("out/p.0001.tif"));
    fs::copy_file(whole, broken, fs::copy_options::overwrite_existing);
    const ToolRun resumed = run(arguments, lensFile);
    EXPECT_EQ(resumed.status, 0) << resumed.messages;
    EXPECT_EQ(filesIn(path("out")),
        (std::vector<std::string> { "p.0001.tif", "p.0002.tif", "p.0003.tif", "p.0004.tif" }));
    EXPECT_EQ(fs::last_write_time(path("out/p.0001.tif")), written);
}

TEST_F(LensCorrect, BadInputGivesAClearMessageAndNoOutput)
{
    writeSequence(path("gap/p.%04d.exr"), 1, 5, 64, 36, 3, OIIO::TypeHalf);
    fs::remove(path("gap/p.0003.exr"));
    writeSequence(path("ok/p.%04d.exr"), 1, 2, 64, 36, 3, OIIO::TypeHalf);
    directory.writeFile("garbage/p.0001.exr", "not an image at all");
    const std::string lensFile = lens({ { flatShading, 0.0f }, { flatShading, 0.0f } });
    const std::string unreadable = directory.writeFile("bad.tlcf", "HEADER_START\nnonsense\n");

    const struct
    {
        std::vector<std::string> arguments;
        std::string correctionFile;
        const char* message;
    } cases[] = {
        { { path("gap/p.####.exr"), "-o", path("out/p.####.exr") }, lensFile,
            "Frames of the input sequence are missing.\nInput: " },
        { { path("gap/p.####.exr"), "--frames", "7", "-o", path("out/p.####.exr") }, lensFile,
            "Missing Frames: 7" },
        { { path("garbage/p.####.exr"), "-o", path("out/p.####.exr") }, lensFile,
            "No frame of the image sequence can be read." },
        { { path("ok/p.####.exr"), "-o", path("ok/p.####.exr") }, lensFile,
            "The output would overwrite an input file" },
        { { path("ok/p.0001.exr"), "-o", path("ok/../ok/p.%04d.exr") }, lensFile,
            "The output would overwrite an input file" },
        { { path("ok/p.####.exr"), "-o", path("out/single.exr") }, lensFile,
            "pattern has no frame number field" },
        { { path("ok/p.####.exr"), "-o", path("out/p.%s.exr") }, lensFile,
            "a '%' must start a frame number field" },
        { { path("ok/p.####.exr"), "-o", path("out/p.####.exr") }, unreadable,
            "Correction file could not be parsed" },
        { { path("ok/p.####.exr"), "-o", path("out/p.####.xyz") }, lensFile,
            "No image format is known for the output's file name extension." },
        { { path("ok/p.####.exr"), "--size-without-overscan", "70:36", "-o",
              path("out/p.####.exr") },
            lensFile, "The picture without overscan is larger than the plate." },
        { { path("missing/p.####.exr"), "-o", path("out/p.####.exr") }, lensFile,
            "The directory of the image sequence cannot be read." },
    };
    for (const auto& entry : cases)
    {
        std::vector<std::string> arguments = entry.arguments;
        arguments.insert(arguments.begin() + 1, { "--shading", "remove" });
        const ToolRun result = run(arguments, entry.correctionFile);
        EXPECT_EQ(result.status, 1) << entry.message;
        EXPECT_NE(result.messages.find(entry.message), std::string::npos) << result.messages;
        EXPECT_TRUE(filesIn(path("out")).empty()) << entry.message;
        EXPECT_EQ(filesIn(path("ok")).size(), 2u);
    }
}

TEST_F(LensCorrect, KeepGoingRendersTheRestAndListsFailedFrames)
{
    writeSequence(path("in/p.%04d.exr"), 0, 6, 64, 36, 3, OIIO::TypeHalf);
    fs::remove(path("in/p.0002.exr"));
    // Lens data from frame 3 on: frames 0 and 1 have none.
    TestSupport::TestCorrectionFile file = correctionFile({ { flatShading, 0.0f } });
    file.frames[0].frameNumber = 3;
    const ToolRun result = run({ path("in/p.####.exr"), "--shading", "remove", "--distortion",
                                   "undistort", "--keep-going", "-o", path("out/p.####.exr") },
        directory.writeFile("A001C001.tlcf", file.text()));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.messages.find("frame 0: Metadata for the frame is not available."),
        std::string::npos)
        << result.messages;
    EXPECT_NE(result.messages.find("3 frames failed: 0-2"), std::string::npos) << result.messages;
    EXPECT_EQ(filesIn(path("out")),
        (std::vector<std::string> { "p.0003.exr", "p.0004.exr", "p.0005.exr" }));
}

TEST_F(LensCorrect, ConcurrentReaderRenderAndWriterThreadsKeepOrderAndContent)
{
    writeSequence(path("in/p.%04d.exr"), 1, 8, 96, 54, 4, OIIO::TypeHalf);
    std::vector<std::pair<float, float>> frames(8, { flatShading, -10.0f });
    const std::string lensFile = lens(frames);
    const ToolRun result = run({ path("in/p.####.exr"), "--shading", "remove", "--distortion",
                                   "undistort", "-o", path("out/p.####.exr"), "--stmap",
                                   path("out/st.####.exr"), "--preview", path("preview.png") },
        lensFile);
    ASSERT_EQ(result.status, 0) << result.messages;
    EXPECT_EQ(filesIn(path("out")).size(), 16u);
    // The frames went through the threads in order, each to its own file.
    size_t position = 0;
    for (int frame = 1; frame <= 8; ++frame)
    {
        const size_t next = result.messages.find("frame " + std::to_string(frame) + ":", position);
        ASSERT_NE(next, std::string::npos) << result.messages;
        position = next;
    }
    // Each file holds what its frame gives when it is the only one in the queues, and the
    // frames differ, so a frame that took another's pixels or another's file would show.
    std::vector<float> previous;
    for (int frame = 1; frame <= 8; ++frame)
    {
        SCOPED_TRACE(frame);
        const std::string file = "p.000" + std::to_string(frame) + ".exr";
        const ToolRun alone
            = run({ path("in/p.####.exr"), "--shading", "remove", "--distortion", "undistort",
                      "--frames", std::to_string(frame), "-o", path("alone/p.####.exr") },
                lensFile);
        ASSERT_EQ(alone.status, 0) << alone.messages;
        const std::vector<float> pixels = readImage(path("out/" + file)).pixels;
        EXPECT_EQ(pixels, readImage(path("alone/" + file)).pixels);
        EXPECT_NE(pixels, previous);
        previous = pixels;
    }
    const Image preview = readImage(path("preview.png"));
    EXPECT_GT(preview.spec.width, 2 * 96);
}

TEST_F(LensCorrect, MovieFramesBecomeASequenceNumberedFromZero)
{
    if (OIIO::get_string_attribute("input_format_list").find("ffmpeg") == std::string::npos)
    {
        GTEST_SKIP() << "OpenImageIO has no FFmpeg reader here";
    }
    std::vector<Image> frames;
    for (int frame = 0; frame < 3; ++frame)
    {
        Image image = testImage(64, 36, 3, frame);
        // What eight bits hold, so the test reads back what the movie holds.
        for (float& value : image.pixels)
        {
            value = std::round(value * 255.0f) / 255.0f;
        }
        image.spec.set_format(OIIO::TypeUInt8);
        frames.push_back(image);
    }
    writeMovie(path("A001C001.avi"), frames);

    const ToolRun result
        = run({ path("A001C001.avi"), "--shading", "add", "-o", path("out/A001C001.####.png") },
            lens({ { flatShading, 0.0f } }));
    ASSERT_EQ(result.status, 0) << result.messages;
    EXPECT_EQ(filesIn(path("out")),
        (std::vector<std::string> {
            "A001C001.0000.png", "A001C001.0001.png", "A001C001.0002.png" }));
    for (int frame = 0; frame < 3; ++frame)
    {
        const Image output = readImage(path("out/A001C001.000" + std::to_string(frame) + ".png"));
        ASSERT_EQ(output.spec.nchannels, 3);
        const std::vector<float> before = linearLight(frames[size_t(frame)]);
        const std::vector<float> after = linearLight(output);
        for (size_t i = 0; i < before.size(); ++i)
        {
            ASSERT_NEAR(after[i], before[i] * flatShading / 100.0f, 1.5e-2f) << frame << " " << i;
        }
    }
}
