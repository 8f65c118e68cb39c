// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The frame mapping document (lenscorrect --json) of small real plates, through the program:
// every frame against its own file, timecode and record, with sparse records, a missing, an
// unreadable and a frame beyond the clip; OpenTrackIO samples; the run that fails; the exit
// status. The corner values against the lens data's own values, worked out here from the
// correction file's model (thousandths of the radius, percent).
#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "ToolTestSupport.h"

using namespace ToolTest;
using Json = nlohmann::json;

namespace
{

/// The packed SMPTE time word of 01:00:00:ff, binary-coded decimal.
std::array<unsigned, 2> timeWord(int frames)
{
    return { unsigned(frames / 10 * 16 + frames % 10) | 1u << 24, 0u };
}

std::string label(int frames)
{
    char text[32];
    std::snprintf(text, sizeof(text), "01:00:00:%02d", frames);
    return text;
}

class MappingDocument : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// Plate frames 1001 + f, labelled 01:00:00:f at 25 fps, for each f in `labels`.
    void writePlate(const std::vector<int>& labels, int width = 320, int height = 180)
    {
        for (const int frames : labels)
        {
            Image image = testImage(width, height, 3, frames);
            const auto word = timeWord(frames);
            image.spec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, word.data());
            const int fps[2] = { 25, 1 };
            image.spec.attribute("FramesPerSecond", OIIO::TypeRational, fps);
            writeImage(path("in/p." + std::to_string(1001 + frames) + ".exr"), image);
        }
    }

    /// Runs the program; the document it wrote.
    Json run(std::vector<std::string> arguments, ToolRun& result)
    {
        arguments.insert(arguments.end(), { "--json", path("mapping.json") });
        std::filesystem::remove(path("mapping.json"));
        result = runProgram(LC_LENSCORRECT_PATH, arguments);
        std::ifstream stream(path("mapping.json"));
        return Json::parse(stream);
    }

    TestSupport::TemporaryDirectory directory;
};

/// The recording format of the test correction file: 23.76 mm wide at 16:9, its image radius
/// half the diagonal.
const double formatRadius = std::hypot(23.76, 23.76 * 9.0 / 16.0) / 2.0;

/// How far removing the distortion moves the corner of a picture of this size: its values are
/// `distortion` x (r / 21.4)^2 thousandths of the radius, the undistorted radius
/// (1 - value / 1000) times the recorded one. The frame the library renders into is whole
/// pixels, and never smaller than the plate: the scale it works at may differ by a few percent.
double cornerMove(float distortion, int width, int height)
{
    const double value = distortion * std::pow(formatRadius / 21.4, 2.0);
    return -value / 1000.0 * std::hypot(width / 2.0, height / 2.0);
}

TEST_F(MappingDocument, FramesCarryTheirOwnTimecodesRecordsAndCornerValues)
{
    // Records 0, 2 and 4 of a clip of 6 frames, each applying up to the next.
    const std::vector<std::pair<float, float>> lens { { 50.0f, -60.0f }, { 70.0f, -20.0f },
        { 90.0f, 30.0f } };
    TestSupport::TestCorrectionFile file = correctionFile(lens);
    for (size_t i = 0; i < lens.size(); ++i)
    {
        file.frames[i].frameNumber = uint32_t(2 * i);
        file.frames[i].timecode = label(int(2 * i));
    }
    file.clipDurationFrames = 6;
    const std::string lensFile = directory.writeFile("A001C001.tlcf", file.text());
    // 1004 missing, 1006 unreadable, 1007 beyond the clip's end.
    writePlate({ 0, 1, 2, 4, 6 });
    std::ofstream(path("in/p.1006.exr")) << "not an image";

    std::vector<std::string> arguments { path("in/p.####.exr"), "--shading", "remove",
        "--distortion", "undistort", "--dry-run" };
    const std::vector<std::string> data = lensData(lensFile);
    arguments.insert(arguments.end(), data.begin(), data.end());
    ToolRun result;
    const Json document = run(arguments, result);
    EXPECT_EQ(result.status, 1) << result.messages;

    EXPECT_EQ(document["version"], 1);
    EXPECT_EQ(document["ready"], false);
    EXPECT_TRUE(document["failure"].is_null());
    const Json& run = document["run"];
    EXPECT_EQ(run["input"], path("in/p.####.exr"));
    EXPECT_EQ(run["mapping"]["rule"], "timecode");
    EXPECT_EQ(run["lensData"]["foundBy"], "--correction-file");
    EXPECT_EQ(run["lensData"]["path"], lensFile);
    EXPECT_EQ(run["lensData"]["framesPerSecond"], 25.0);
    EXPECT_EQ(run["framesPerSecond"], 25.0);
    EXPECT_EQ(run["framesPerSecondSource"], "files");
    EXPECT_EQ(run["pictureSize"], (Json { { "width", 320 }, { "height", 180 } }));
    EXPECT_GE(run["outputSize"]["width"], 320);
    EXPECT_EQ(run["corrections"]["distortion"], "undistort");
    EXPECT_EQ(document["summary"],
        (Json { { "frames", 7 }, { "found", 4 }, { "noLensData", 1 }, { "refused", 1 },
            { "missing", 1 } }));

    struct Expected
    {
        int frame;
        const char* status;
        int record; ///< -1: none.
        const char* message;
    };
    const Expected expected[] = {
        { 1001, "found", 0, nullptr },
        { 1002, "found", 0, nullptr },
        { 1003, "found", 2, nullptr },
        { 1004, "missing", -1, "The frame's file is missing from the sequence." },
        { 1005, "found", 4, nullptr },
        { 1006, "refused", -1, "The frame cannot be read." },
        { 1007, "no lens data", -1, "The frame lies beyond the clip's end." },
    };
    const Json& frames = document["frames"];
    ASSERT_EQ(frames.size(), std::size(expected));
    for (size_t i = 0; i < frames.size(); ++i)
    {
        const Json& frame = frames[i];
        const Expected& want = expected[i];
        SCOPED_TRACE(want.frame);
        EXPECT_EQ(frame["frame"], want.frame);
        EXPECT_EQ(frame["status"], want.status);
        if (want.message)
        {
            EXPECT_EQ(frame["message"], want.message);
            EXPECT_EQ(frame["details"].get<std::string>().rfind(want.message, 0), 0u);
        }
        else
        {
            EXPECT_TRUE(frame["message"].is_null());
        }
        const int labelled = want.frame - 1001;
        if (want.frame == 1004)
        {
            EXPECT_TRUE(frame["file"].is_null());
            EXPECT_TRUE(frame["timecode"].is_null());
        }
        else
        {
            EXPECT_EQ(frame["file"], path("in/p." + std::to_string(want.frame) + ".exr"));
            EXPECT_EQ(
                frame["timecode"], want.frame == 1006 ? Json(nullptr) : Json(label(labelled)));
        }
        if (want.record < 0)
        {
            EXPECT_TRUE(frame["record"].is_null());
            EXPECT_TRUE(frame["cornerDisplacement"].is_null());
            EXPECT_TRUE(frame["cornerShading"].is_null());
            continue;
        }
        EXPECT_EQ(frame["record"],
            (Json { { "frame", want.record }, { "timecode", label(want.record) } }));
        const auto [shading, distortion] = lens[size_t(want.record / 2)];
        EXPECT_NEAR(frame["cornerShading"].get<double>(), std::log2(100.0 / shading), 1e-3);
        const double move = cornerMove(distortion, 320, 180);
        EXPECT_NEAR(frame["cornerDisplacement"].get<double>(), move, 0.02 + 0.03 * std::abs(move));
        // The test file's frame lines carry no focal length or focus distance.
        EXPECT_TRUE(frame["focalLength"].is_null());
        EXPECT_TRUE(frame["focusDistance"].is_null());
    }
}

TEST_F(MappingDocument, OpenTrackIoSamplesAreNamedByTheirLines)
{
    writePlate({ 0, 1, 2 }, 192, 108);
    std::string samples;
    for (int frames = 0; frames < 2; ++frames)
    {
        samples += R"({"static":{"camera":{"make":"Maker","model":"Cam",)"
                   R"("activeSensorPhysicalDimensions":{"width":23.76,"height":13.365},)"
                   R"("activeSensorResolution":{"width":1920,"height":1080}}},)"
                   R"("lens":{"distortion":[{"model":"Brown-Conrady D-U","radial":[-1e-4]}],)"
                   R"("pinholeFocalLength":)"
            + std::to_string(24 + frames) + R"(,"focusDistance":)" + std::to_string(2 + frames)
            + R"(},"timing":{"timecode":{"hours":1,"minutes":0,"seconds":0,"frames":)"
            + std::to_string(frames) + R"(,"frameRate":{"num":25,"denom":1}}}})" + "\n";
    }
    ToolRun result;
    const Json document
        = run({ path("in/p.####.exr"), "--opentrackio", directory.writeFile("take.ndjson", samples),
                  "--distortion", "undistort", "--dry-run" },
            result);
    EXPECT_EQ(result.status, 1) << result.messages;
    EXPECT_EQ(document["run"]["lensData"]["kind"], "OpenTrackIO samples");
    EXPECT_EQ(document["run"]["lensData"]["foundBy"], "--opentrackio");
    const Json& frames = document["frames"];
    ASSERT_EQ(frames.size(), 3u);
    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i]["status"], "found");
        EXPECT_EQ(frames[i]["record"],
            (Json { { "sample", "line " + std::to_string(i + 1) }, { "timecode", label(i) } }));
        EXPECT_EQ(frames[i]["focalLength"], 24.0 + i);
        EXPECT_EQ(frames[i]["focusDistance"], 2.0 + i);
        // k1 < 0 maps recorded radii to smaller undistorted ones: the corner moves inwards.
        EXPECT_LT(frames[i]["cornerDisplacement"].get<double>(), 0.0);
        EXPECT_TRUE(frames[i]["cornerShading"].is_null());
    }
    EXPECT_EQ(frames[2]["status"], "no lens data");
    EXPECT_EQ(frames[2]["timecode"], label(2));
}

TEST_F(MappingDocument, AReadyPlateExitsZeroAndAFailedRunSaysWhy)
{
    // One record, applying to every frame of the clip's 100.
    const std::string lensFile
        = directory.writeFile("A001C001.tlcf", correctionFile({ { 80.0f, 10.0f } }).text());
    writeSequence(path("in/p.%04d.exr"), 1001, 2, 64, 36, 3, OIIO::TypeHalf);
    std::vector<std::string> arguments { path("in/p.####.exr"), "--shading", "remove",
        "--first-frame", "1001" };
    const std::vector<std::string> data = lensData(lensFile);
    arguments.insert(arguments.end(), data.begin(), data.end());

    for (const bool dryRun : { true, false })
    {
        SCOPED_TRACE(dryRun ? "dry run" : "real run");
        std::vector<std::string> these = arguments;
        const std::vector<std::string> mode = dryRun
            ? std::vector<std::string> { "--dry-run" }
            : std::vector<std::string> { "-o", path("out/p.####.exr") };
        these.insert(these.end(), mode.begin(), mode.end());
        ToolRun result;
        const Json document = run(these, result);
        EXPECT_EQ(result.status, 0) << result.messages;
        EXPECT_EQ(document["ready"], true);
        EXPECT_EQ(document["run"]["dryRun"], dryRun);
        EXPECT_EQ(document["run"]["mapping"]["rule"], "option");
        EXPECT_EQ(document["run"]["outputSize"], (Json { { "width", 64 }, { "height", 36 } }));
        ASSERT_EQ(document["frames"].size(), 2u);
        for (const Json& frame : document["frames"])
        {
            EXPECT_EQ(frame["status"], "found");
            EXPECT_EQ(frame["record"]["frame"], 0);
            EXPECT_NEAR(frame["cornerShading"].get<double>(), std::log2(100.0 / 80.0), 1e-3);
            // No distortion correction in the run.
            EXPECT_TRUE(frame["cornerDisplacement"].is_null());
        }
    }
    EXPECT_EQ(filesIn(path("out")), (std::vector<std::string> { "p.1001.exr", "p.1002.exr" }));

    // Lens data of another clip: the run stops, and the document says why.
    arguments.back() = "B001C001.mov";
    arguments.push_back("--dry-run");
    ToolRun result;
    const Json document = run(arguments, result);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(document["ready"], false);
    EXPECT_TRUE(document["frames"].empty());
    EXPECT_NE(document["failure"]["message"].get<std::string>().find("does not belong to the clip"),
        std::string::npos)
        << document.dump(2);
}

} // namespace
