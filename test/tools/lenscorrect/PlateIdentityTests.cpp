// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// A pulled plate finds its own lens data: frames by their own timecodes, the clip by the camera's
// clip name in the files, an overscan plate's picture by its display window. Real EXR and DPX
// files written here, a real correction file, the library's kernels.
#include <cmath>
#include <cstdio>
#include <filesystem>

#include <OpenImageIO/color.h>
#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;

namespace
{

/// Record n of the lens data shades every pixel to 40 + 2n percent, so that removing it
/// multiplies the light by 100 / (40 + 2n): each output tells which record it took.
constexpr int records = 12;
float shadingOfRecord(int record) { return 40.0f + 2.0f * float(record); }

std::string timecodeText(int seconds, int frames)
{
    char text[16];
    std::snprintf(text, sizeof(text), "01:00:%02d:%02d", seconds, frames);
    return text;
}

/// The packed SMPTE time word of HH:MM:00:FF, binary-coded decimal, drop-frame flag in bit 6.
std::array<unsigned, 2> timeWord(int frames, bool dropFrame = false, int hours = 1, int minutes = 0)
{
    const auto bcd = [](int value) { return unsigned(value / 10 * 16 + value % 10); };
    return { bcd(frames) | (dropFrame ? 0x40u : 0u) | bcd(minutes) << 16 | bcd(hours) << 24, 0u };
}

struct PlateFrame
{
    int number;
    std::optional<int> timecodeFrame; ///< HH:00:00:FF; none: no timecode attribute.
    bool dropFrame = false;
    int hours = 1;
    int minutes = 0;
};

class PlateIdentity : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// Lens data of clip A001C001, records 0..11 at 01:00:00:00..01:00:00:11, 25 fps.
    static std::string lensDataText()
    {
        std::vector<std::pair<float, float>> frames;
        for (int record = 0; record < records; ++record)
        {
            frames.emplace_back(shadingOfRecord(record), 0.0f);
        }
        TestSupport::TestCorrectionFile file = correctionFile(frames);
        for (int record = 0; record < records; ++record)
        {
            file.frames[size_t(record)].timecode = timecodeText(0, record);
        }
        return file.text();
    }
    std::string writeLensData() { return directory.writeFile("A001C001.tlcf", lensDataText()); }

    /// Writes plate frames plate.NNNN.<extension> with the camera's clip name (when given) and
    /// each frame's timecode at 25 fps.
    void writePlate(const std::vector<PlateFrame>& frames, const std::string& extension = "exr",
        const std::string& clipName = "A001C001", int width = 192, int height = 108)
    {
        for (const PlateFrame& frame : frames)
        {
            Image image = testImage(width, height, 3, frame.number);
            if (extension == "dpx")
            {
                image.spec.set_format(OIIO::TypeUInt16);
            }
            if (frame.timecodeFrame)
            {
                const auto word
                    = timeWord(*frame.timecodeFrame, frame.dropFrame, frame.hours, frame.minutes);
                image.spec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, word.data());
            }
            const int rate[2] = { 25, 1 };
            image.spec.attribute("FramesPerSecond", OIIO::TypeRational, rate);
            if (!clipName.empty())
            {
                image.spec.attribute("interim.clip.cameraClipName", clipName);
            }
            writeImage(
                path("plate/plate." + std::to_string(frame.number) + "." + extension), image);
        }
    }

    /// The record each output frame took, from the gain its shading removal applied.
    int recordOf(const std::string& extension, int number)
    {
        const std::string name = "plate." + std::to_string(number) + "." + extension;
        const Image before = readImage(path("plate/" + name));
        const Image after = readImage(path("out/" + name));
        const int x = before.spec.width / 2;
        const int y = before.spec.height / 2;
        float light[2] = { before.at(x, y, 0), after.at(x, y, 0) };
        if (!before.spec.format.is_floating_point())
        {
            const OIIO::ColorConfig config;
            config.createColorProcessor("sRGB", "linear")->apply(light, 2, 1, 1, 4, 4, 8);
        }
        const float gain = light[1] / light[0];
        return int(std::lround((100.0f / gain - 40.0f) / 2.0f));
    }

    ToolRun correct(std::vector<std::string> options, const std::string& extension = "exr")
    {
        std::vector<std::string> arguments { path("plate/plate.####." + extension), "--shading",
            "remove", "-o", path("out/plate.####." + extension) };
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runTool(arguments);
    }

    TestSupport::TemporaryDirectory directory;
};

/// Frames 1001, 1002 and 1004 of a plate pulled from 01:00:00:05, with a gap where a frame was cut
/// (named in the frame list, so that it is not taken for a missing file).
const std::vector<PlateFrame> pulledPlate { { 1001, 5 }, { 1002, 6 }, { 1004, 8 } };
const std::vector<std::string> pulledFrames { "--frames", "1001-1002,1004" };

TEST_F(PlateIdentity, FramesTakeTheRecordsOfTheirOwnTimecodesAndSayWhatWasApplied)
{
    struct Case
    {
        const char* extension;
        std::string clipNameInFile; ///< DPX carries none: the clip name comes from the option.
        std::vector<std::string> options;
        const char* rate;
    };
    for (const Case& format : { Case { "exr", "A001C001", {}, "25 fps from the files" },
             Case { "dpx", "", { "--clip-name", "A001C001.mov" }, "25 fps of the lens data" } })
    {
        SCOPED_TRACE(format.extension);
        std::filesystem::remove_all(path("out"));
        writePlate(pulledPlate, format.extension, format.clipNameInFile);
        std::vector<std::string> options = format.options;
        options.insert(
            options.end(), { "--correction-file", writeLensData(), "--frames", "1001-1002,1004" });
        const ToolRun run = correct(options, format.extension);
        ASSERT_EQ(run.status, 0) << run.messages;
        EXPECT_EQ(
            run.messages.rfind(std::string("lenscorrect: each frame finds its lens data by its "
                                           "own timecode (smpte:TimeCode, ")
                    + format.rate + ")",
                0),
            0u)
            << run.messages;
        for (const PlateFrame& frame : pulledPlate)
        {
            EXPECT_EQ(recordOf(format.extension, frame.number), *frame.timecodeFrame);
        }
    }

    // What the EXR output says it is: the record, the clip, the corrections, the tool in the
    // history after the plate's own software, and the plate frame's own timecode.
    writePlate(pulledPlate);
    ASSERT_EQ(correct({ "--correction-file", writeLensData(), "--gain-map",
                          path("maps/gain.####.exr"), "--frames", "1001-1002,1004" })
                  .status,
        0);
    for (const char* file : { "out/plate.1004.exr", "maps/gain.1004.exr" })
    {
        const OIIO::ImageSpec spec = readImage(path(file)).spec;
        EXPECT_EQ(spec.get_string_attribute("lenscorrect:LensDataFrame"), "8") << file;
        EXPECT_EQ(spec.get_string_attribute("lenscorrect:LensDataTimecode"), "01:00:00:08");
        EXPECT_EQ(spec.get_string_attribute("lenscorrect:ClipName"), "A001C001");
        EXPECT_EQ(spec.get_string_attribute("lenscorrect:CorrectionFile"), "A001C001.tlcf");
        EXPECT_EQ(spec.get_string_attribute("lenscorrect:Shading"), "remove");
        EXPECT_EQ(std::string(spec.get_string_attribute("Software")).rfind("lenscorrect ", 0), 0u);
        EXPECT_NE(spec.get_string_attribute("Exif:ImageHistory")
                      .find("lens data A001C001.tlcf "
                            "frame 8 (01:00:00:08)"),
            std::string::npos);
        const OIIO::ParamValue* timecode = spec.find_attribute("smpte:TimeCode");
        ASSERT_NE(timecode, nullptr) << file;
        EXPECT_EQ(static_cast<const unsigned*>(timecode->data())[0], timeWord(8)[0]);
    }
}

TEST_F(PlateIdentity, ExplicitOptionsWinOverThePlatesMetadataThenTheSequenceOrderIsAStatedGuess)
{
    writePlate(pulledPlate);
    const std::string lensFile = writeLensData();
    struct Case
    {
        std::vector<std::string> options;
        std::array<int, 3> records; ///< Of frames 1001, 1002, 1004.
        const char* firstLine;
    };
    const Case cases[] = {
        { {}, { 5, 6, 8 }, "each frame finds its lens data by its own timecode" },
        { { "--first-frame", "1001" }, { 0, 1, 3 }, "frame 1001 is clip frame 0 by --first-frame" },
        { { "--start-timecode", "01:00:00:02" }, { 2, 3, 5 },
            "frame 1001 is clip frame 0 by sequence order, clip frame 0 at --start-timecode" },
        // The plate at 50 fps: its frame fields count twice as fast as the lens data's.
        { { "--fps", "50" }, { 2, 3, 4 },
            "each frame finds its lens data by its own timecode "
            "(smpte:TimeCode, 50 fps from --fps)" },
    };
    for (const Case& test : cases)
    {
        std::string name;
        for (const std::string& option : test.options)
        {
            name += option + " ";
        }
        SCOPED_TRACE(name);
        std::filesystem::remove_all(path("out"));
        std::vector<std::string> options = test.options;
        options.insert(options.end(), { "--correction-file", lensFile });
        options.insert(options.end(), pulledFrames.begin(), pulledFrames.end());
        const ToolRun run = correct(options);
        ASSERT_EQ(run.status, 0) << run.messages;
        EXPECT_EQ(run.messages.rfind(std::string("lenscorrect: ") + test.firstLine, 0), 0u)
            << run.messages;
        EXPECT_EQ(
            (std::array { recordOf("exr", 1001), recordOf("exr", 1002), recordOf("exr", 1004) }),
            test.records);
    }

    // Without timecodes the guess is made, and said to be one.
    std::filesystem::remove_all(path("plate"));
    writePlate({ { 1001, {} }, { 1002, {} } });
    std::filesystem::remove_all(path("out"));
    const ToolRun guess = correct({ "--correction-file", lensFile });
    ASSERT_EQ(guess.status, 0) << guess.messages;
    EXPECT_EQ(guess.messages.rfind("lenscorrect: frame 1001 is clip frame 0 by sequence order; "
                                   "the plate carries no timecode; give --start-timecode or "
                                   "--first-frame if it is a section of the clip\n",
                  0),
        0u)
        << guess.messages;
}

TEST_F(PlateIdentity, TheClipNameInThePlateFindsTheCorrectionFileBesideIt)
{
    writePlate(pulledPlate, "exr", "A001C001");
    // Beside the plate under another name; the search finds it by the clip name it carries.
    std::filesystem::create_directories(path("plate/lens"));
    std::filesystem::rename(writeLensData(), path("plate/lens/lens.tlcf"));
    const ToolRun run = correct(pulledFrames);
    ASSERT_EQ(run.status, 0) << run.messages;
    EXPECT_NE(run.messages.find("for clip A001C001 (from the plate's interim.clip.cameraClipName "
                                "attribute)"),
        std::string::npos)
        << run.messages;
    EXPECT_EQ(recordOf("exr", 1004), 8);
    EXPECT_EQ(readImage(path("out/plate.1004.exr"))
                  .spec.get_string_attribute("lenscorrect:CorrectionFile"),
        "lens.tlcf");
}

TEST_F(PlateIdentity, MismatchesAndUnusableAttributesAreErrorsNamingTheFiles)
{
    struct Case
    {
        const char* name;
        std::vector<PlateFrame> frames;
        std::string clipName;
        std::vector<std::string> expected; ///< Fragments of the messages.
        std::vector<std::string> written; ///< With --keep-going.
    };
    const Case cases[] = {
        { "backwards", { { 1001, 7 }, { 1002, 5 } }, "A001C001",
            { "The plate's timecodes go backwards or repeat.", "plate.1001.exr", "plate.1002.exr" },
            {} },
        { "another clip", pulledPlate, "A002C007",
            { "The plate's camera clip name differs from the correction file's.",
                "Clip Name: \"A002C007\"", "A001C001.tlcf", "--clip-name" },
            {} },
        { "clip name not text", pulledPlate, " ",
            { "The frame's clip name attribute cannot be used.", "plate.1001.exr",
                "interim.clip.cameraClipName" },
            {} },
        // Before the clip's first record.
        { "no record", { { 1001, 5, false, 0 }, { 1002, 6 } }, "A001C001",
            { "frame 1001: Metadata for the frame is not available.", "1 frame failed: 1001" },
            { "plate.1002.exr" } },
        { "drop frame", { { 1001, 5, true }, { 1002, 6 } }, "A001C001",
            { "frame 1001: The frame's timecode is drop-frame, the lens data's is not.",
                "plate.1001.exr", "smpte:TimeCode" },
            { "plate.1002.exr" } },
        { "timecode out of range", { { 1001, 5, false, 1, 75 }, { 1002, 6 } }, "A001C001",
            { "frame 1001: The frame's timecode cannot be read.", "plate.1001.exr",
                "smpte:TimeCode", "01:75:00:05" },
            { "plate.1002.exr" } },
        { "partly without timecode", { { 1001, 5 }, { 1002, {} } }, "A001C001",
            { "The frame carries no timecode, while others of the plate do.", "plate.1002.exr" },
            { "plate.1001.exr" } },
    };
    const std::string lensFile = writeLensData();
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        std::filesystem::remove_all(path("plate"));
        std::filesystem::remove_all(path("out"));
        writePlate(test.frames, "exr", test.clipName == " " ? "" : test.clipName);
        if (test.clipName == " ")
        {
            // A number where the camera keeps its clip name.
            Image image = readImage(path("plate/plate.1001.exr"));
            image.spec.attribute("interim.clip.cameraClipName", 42);
            writeImage(path("plate/plate.1001.exr"), image);
        }
        const ToolRun run = correct({ "--correction-file", lensFile, "--keep-going" });
        EXPECT_EQ(run.status, 1);
        for (const std::string& fragment : test.expected)
        {
            EXPECT_NE(run.messages.find(fragment), std::string::npos) << fragment << "\n"
                                                                      << run.messages;
        }
        EXPECT_EQ(filesIn(path("out")), test.written);
    }
}

TEST_F(PlateIdentity, LensDataWithoutTimecodesAskForTheMappingOnce)
{
    writePlate(pulledPlate);
    const std::string lensFile
        = directory.writeFile("untimed.tlcf", correctionFile({ { 50.0f, 0.0f } }).text());
    const ToolRun run = correct({ "--correction-file", lensFile, "--clip-name", "A001C001" });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.messages.find("The plate's frames carry timecodes, the lens data's records do "
                                "not.\nCorrection File: \""),
        std::string::npos)
        << run.messages;
    EXPECT_EQ(correct({ "--correction-file", lensFile, "--clip-name", "A001C001", "--first-frame",
                          "1001", "--frames", "1001-1002,1004" })
                  .status,
        0);
}

TEST_F(PlateIdentity, AnUnreadableFrameFailsAloneUnderKeepGoing)
{
    writePlate({ { 1001, 5 }, { 1002, 6 }, { 1003, 7 } });
    directory.writeFile("plate/plate.1002.exr", "not an image");
    const ToolRun run = correct({ "--correction-file", writeLensData(), "--keep-going" });
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.messages.find("frame 1002: The frame cannot be read."), std::string::npos)
        << run.messages;
    EXPECT_EQ(
        filesIn(path("out")), (std::vector<std::string> { "plate.1001.exr", "plate.1003.exr" }));
    EXPECT_EQ(recordOf("exr", 1003), 7);
}

TEST_F(PlateIdentity, AnOverscanPlateIsReadByItsDisplayWindow)
{
    TestSupport::TestCorrectionFile vignetting = correctionFile({ { 100.0f, 0.0f } });
    vignetting.frames[0].shading = { 100.0f, 97.0f, 90.0f, 78.0f, 68.0f, 55.0f };
    const std::string lensFile = directory.writeFile("vignetting.tlcf", vignetting.text());
    const auto writeOverscan = [&](int width, int height)
    {
        Image image = testImage(width, height, 3);
        image.spec.x = -(width - 192) / 2;
        image.spec.y = -(height - 108) / 2;
        image.spec.full_width = 192;
        image.spec.full_height = 108;
        writeImage(path("overscan.exr"), image);
    };
    // 12 px and 7 px more on every side keep 16:9 to the pixel.
    writeOverscan(216, 122);
    const auto gainMap = [&](std::vector<std::string> options, const std::string& name)
    {
        options.insert(options.begin(),
            { path("overscan.exr"), "--shading", "remove", "--gain-map", path(name),
                "--correction-file", lensFile, "--clip-name", "A001C001.mov" });
        const ToolRun run = runTool(options);
        EXPECT_EQ(run.status, 0) << run.messages;
        return readImage(path(name));
    };
    const Image byWindow = gainMap({}, "window.exr");
    const Image byOption = gainMap({ "--size-without-overscan", "192:108" }, "option.exr");
    const Image asPicture = gainMap({ "--size-without-overscan", "216:122" }, "whole.exr");
    EXPECT_EQ(byWindow.pixels, byOption.pixels);
    // The corner lies beyond the recorded image, not on its edge.
    EXPECT_NE(byWindow.at(byWindow.spec.x, byWindow.spec.y, 0),
        asPicture.at(asPicture.spec.x, asPicture.spec.y, 0));

    writeOverscan(216, 130);
    const ToolRun uneven = runTool({ path("overscan.exr"), "--shading", "remove", "-o",
        path("out.exr"), "--correction-file", lensFile, "--clip-name", "A001C001.mov" });
    EXPECT_EQ(uneven.status, 1);
    EXPECT_NE(uneven.messages.find("The plate's overscan is not even around its picture.\n"
                                   "Data Window: 216x130 px at -12, -11\n"
                                   "Display Window: 192x108 px at 0, 0"),
        std::string::npos)
        << uneven.messages;
}

TEST_F(PlateIdentity, DryRunListsEveryFramesRecordAndWritesNothing)
{
    writePlate({ { 1001, 5, false, 0 }, { 1002, 5 }, { 1003, 6 } });
    // Record 5 carries the lens's focal length and focus distance, which the listing shows.
    std::string text = lensDataText();
    const std::string line5 = ";;;;;;01:00:00:05";
    text.replace(text.find(line5), line5.size(), ";35.5;2.4;;;;01:00:00:05");
    const std::vector<std::string> options { path("plate/plate.####.exr"), "--shading", "remove",
        "--distortion", "undistort", "-o", path("out/plate.####.exr"), "--correction-file",
        directory.writeFile("A001C001.tlcf", text), "--dry-run" };
    ToolRun run = runTool(options);
    EXPECT_EQ(run.status, 1) << run.messages;
    for (const char* line :
        { "1001  plate.1001.exr  00:00:00:05  -> no lens data: Metadata for the frame is not "
          "available.\n",
            "1002  plate.1002.exr  01:00:00:05  -> lens data frame 5 (01:00:00:05)  focal "
            "length 35.5 mm  focus 2.4 m\n",
            "1003  plate.1003.exr  01:00:00:06  -> lens data frame 6 (01:00:00:06)\n",
            "lenscorrect: dry run, nothing written; some frames find no lens data\n" })
    {
        EXPECT_NE(run.messages.find(line), std::string::npos) << line << run.messages;
    }
    EXPECT_FALSE(std::filesystem::exists(path("out")));

    run = runTool({ path("plate/plate.####.exr"), "--shading", "remove", "--correction-file",
        path("A001C001.tlcf"), "--dry-run", "--frames", "1002-1003" });
    EXPECT_EQ(run.status, 0) << run.messages;
    EXPECT_NE(run.messages.find("every frame finds its lens data"), std::string::npos);
}

} // namespace

TEST_F(PlateIdentity, OpenTrackIoSamplesMatchTheirFramesByTimecodeAsTheSameCorrectionFile)
{
    // Samples labelled 01:00:00:04 to :06, each with its own exposure falloff, and the same lens
    // written as a correction file's records.
    const std::array<double, 6> radii { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };
    TestSupport::TestCorrectionFile file = correctionFile({});
    std::string samples;
    for (int label = 4; label <= 6; ++label)
    {
        const double a1 = 1e-4 * label;
        samples += R"({"static":{"camera":{"make":"ARRI","model":"ALEXA Mini",)"
                   R"("activeSensorPhysicalDimensions":{"width":23.76,"height":13.365},)"
                   R"("activeSensorResolution":{"width":1920,"height":1080}}},)"
                   R"("lens":{"distortion":[{"radial":[0]}],"exposureFalloff":{"a1":)"
            + std::to_string(a1)
            + R"(}},"timing":{"timecode":{"hours":1,"minutes":0,"seconds":0,"frames":)"
            + std::to_string(label) + R"(,"frameRate":{"num":25,"denom":1}}}})" + "\n";
        TestSupport::TestCorrectionFile::Frame record { uint32_t(label), {}, {},
            timecodeText(0, label) };
        for (size_t i = 0; i < radii.size(); ++i)
        {
            record.shading[i] = float(100.0 * (1.0 - a1 * radii[i] * radii[i]));
        }
        file.frames.push_back(record);
    }
    const std::string samplesFile = directory.writeFile("take.ndjson", samples);
    const std::string lensFile = directory.writeFile("A001C001.tlcf", file.text());
    writePlate({ { 1001, 5 }, { 1002, 6 } });

    ASSERT_EQ(correct({ "--correction-file", lensFile }).status, 0);
    std::filesystem::rename(path("out"), path("byFile"));
    const ToolRun run = correct({ "--opentrackio", samplesFile });
    ASSERT_EQ(run.status, 0) << run.messages;
    EXPECT_EQ(
        run.messages.rfind("lenscorrect: each frame finds its lens data by its own timecode", 0),
        0u)
        << run.messages;
    for (const char* name : { "plate.1001.exr", "plate.1002.exr" })
    {
        const Image bySamples = readImage(path(std::string("out/") + name));
        const Image byFile = readImage(path(std::string("byFile/") + name));
        ASSERT_EQ(bySamples.pixels.size(), byFile.pixels.size());
        for (size_t i = 0; i < byFile.pixels.size(); ++i)
        {
            ASSERT_NEAR(bySamples.pixels[i], byFile.pixels[i], 1e-5f * byFile.pixels[i]) << name;
        }
    }
    const OIIO::ImageSpec spec = readImage(path("out/plate.1002.exr")).spec;
    EXPECT_EQ(spec.get_string_attribute("lenscorrect:CorrectionFile"), "take.ndjson");
    EXPECT_EQ(spec.get_string_attribute("lenscorrect:LensDataFrame"), "line 3");
    EXPECT_EQ(spec.get_string_attribute("lenscorrect:LensDataTimecode"), "01:00:00:06");

    const ToolRun dry = runTool({ path("plate/plate.####.exr"), "--shading", "remove",
        "--opentrackio", samplesFile, "--dry-run" });
    EXPECT_EQ(dry.status, 0) << dry.messages;
    EXPECT_NE(
        dry.messages.find("1002  plate.1002.exr  01:00:00:06  -> sample line 3 (01:00:00:06)"),
        std::string::npos)
        << dry.messages;
}

TEST_F(PlateIdentity, AMoviesFramesCountOnFromItsStartTimecode)
{
    if (OIIO::get_string_attribute("input_format_list").find("ffmpeg") == std::string::npos)
    {
        GTEST_SKIP() << "OpenImageIO has no FFmpeg reader here";
    }
    std::vector<Image> frames;
    for (int frame = 0; frame < 3; ++frame)
    {
        Image image = testImage(192, 108, 3, frame);
        image.spec.set_format(OIIO::TypeUInt8);
        frames.push_back(image);
    }
    writeMovie(path("A001C001.avi"), frames, "01:00:00:05");
    const ToolRun run = runTool({ path("A001C001.avi"), "--shading", "remove", "--correction-file",
        writeLensData(), "--clip-name", "A001C001.mov", "--dry-run" });
    EXPECT_EQ(run.status, 0) << run.messages;
    EXPECT_NE(run.messages.find("2  A001C001.avi  01:00:00:07  -> lens data frame 7 (01:00:00:07)"),
        std::string::npos)
        << run.messages;
}
