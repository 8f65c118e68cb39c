// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Runs that used to report success with wrong pixels or lost data: both corrections in one run,
// clip names that read as paths, previews outside the run, and provenance over corrected files.
// Real files in a temporary directory, the library's kernels.
#include <cmath>
#include <filesystem>

#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;
namespace fs = std::filesystem;

namespace
{

class RunOutcome : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// A lens that shades from 100 % in the middle to 55 % at 21.4 mm and distorts by
    /// `distortion` thousandths at the corner: negative values for barrel distortion, whose
    /// removal enlarges the frame, positive ones for pincushion distortion, whose addition does.
    /// A file of its own name for each lens: the tool's runs share one process and its cache of
    /// parsed files.
    std::string lens(float distortion = -40.0f)
    {
        TestSupport::TestCorrectionFile file = correctionFile({ { 100.0f, distortion } });
        file.frames[0].shading = { 100.0f, 96.0f, 86.0f, 72.0f, 64.0f, 55.0f };
        return directory.writeFile(
            "A001C001." + std::to_string(int(distortion)) + ".tlcf", file.text());
    }

    ToolRun run(const std::string& input, const std::vector<std::string>& corrections,
        const std::string& output, const std::string& correctionFile)
    {
        std::vector<std::string> arguments { input };
        arguments.insert(arguments.end(), corrections.begin(), corrections.end());
        arguments.insert(arguments.end(), { "-o", output });
        const std::vector<std::string> data = lensData(correctionFile);
        arguments.insert(arguments.end(), data.begin(), data.end());
        return runTool(arguments);
    }

    TestSupport::TemporaryDirectory directory;
};

/// Largest difference between two images of one data window, relative to 1.
float largestDifference(const Image& a, const Image& b)
{
    EXPECT_EQ(a.spec.x, b.spec.x);
    EXPECT_EQ(a.spec.y, b.spec.y);
    EXPECT_EQ(a.spec.width, b.spec.width);
    EXPECT_EQ(a.spec.height, b.spec.height);
    EXPECT_EQ(a.pixels.size(), b.pixels.size());
    float largest = 0.0f;
    for (size_t i = 0; i < std::min(a.pixels.size(), b.pixels.size()); ++i)
    {
        largest = std::max(largest, std::abs(a.pixels[i] - b.pixels[i]));
    }
    return largest;
}

struct BothCase
{
    const char* name;
    std::vector<std::string> first; ///< The correction the single run does first.
    std::vector<std::string> second;
    float distortion;
};

} // namespace

// With both corrections the shading is that of the recorded picture: removed at the plate's own
// size before the distortion is removed, added to the distorted picture after the distortion is
// added. One run must equal the two runs in that order, which is what a compositor gets from
// chaining the plug-ins or from the exported gain map and ST-map.
TEST_F(RunOutcome, BothCorrectionsInOneRunEqualTheTwoRunsInTheRecordedPicturesOrder)
{
    const std::vector<BothCase> cases {
        { "remove barrel", { "--shading", "remove" }, { "--distortion", "undistort" }, -40.0f },
        { "remove pincushion", { "--shading", "remove" }, { "--distortion", "undistort" }, 30.0f },
        { "add barrel", { "--distortion", "distort" }, { "--shading", "add" }, -40.0f },
    };
    writeImage(path("plate.exr"), testImage(192, 108, 4));
    for (const BothCase& both : cases)
    {
        SCOPED_TRACE(both.name);
        const std::string data = lens(both.distortion);
        std::vector<std::string> together = both.first;
        together.insert(together.end(), both.second.begin(), both.second.end());
        ASSERT_EQ(run(path("plate.exr"), together, path("one.exr"), data).status, 0);
        ASSERT_EQ(run(path("plate.exr"), both.first, path("first.exr"), data).status, 0);
        const ToolRun second = run(path("first.exr"), both.second, path("two.exr"), data);
        ASSERT_EQ(second.status, 0) << second.messages;
        EXPECT_LT(largestDifference(readImage(path("one.exr")), readImage(path("two.exr"))), 2e-6f);
    }
}

TEST_F(RunOutcome, RemovingBothMatchesTheGainMapAndAddingBothGivesThePlateBack)
{
    const Image plate = testImage(192, 108, 4);
    writeImage(path("plate.exr"), plate);
    const std::string data = lens();
    const std::vector<std::string> gainMap { "--shading", "remove", "--gain-map",
        path("gain.exr") };
    ASSERT_EQ(run(path("plate.exr"), gainMap, path("shaded.exr"), data).status, 0);
    ASSERT_EQ(run(path("plate.exr"), { "--shading", "remove", "--distortion", "undistort" },
                  path("removed.exr"), data)
                  .status,
        0);

    // The plate times its gain map, undistorted alone, is the frame with both removed.
    const Image gain = readImage(path("gain.exr"));
    Image gained = plate;
    for (size_t i = 0; i < gained.pixels.size(); i += 4)
    {
        for (size_t channel = 0; channel < 3; ++channel)
        {
            gained.pixels[i + channel] *= gain.pixels[i + channel];
        }
    }
    writeImage(path("gained.exr"), gained);
    ASSERT_EQ(
        run(path("gained.exr"), { "--distortion", "undistort" }, path("undistorted.exr"), data)
            .status,
        0);
    EXPECT_LT(largestDifference(readImage(path("removed.exr")), readImage(path("undistorted.exr"))),
        2e-6f);

    // Back again: the enlarged frame over the plate's display window puts the lens back. Its
    // shading is undone where the distortion's round trip returns the pixels, so the frame
    // equals the round trip of the distortion alone, but for the shading's slope over the
    // fraction of a pixel by which that round trip misplaces them.
    const std::vector<std::string> addBoth { "--distortion", "distort", "--shading", "add" };
    ASSERT_EQ(run(path("removed.exr"), addBoth, path("back.exr"), data).status, 0);
    ASSERT_EQ(
        run(path("plate.exr"), { "--distortion", "undistort" }, path("straight.exr"), data).status,
        0);
    ASSERT_EQ(
        run(path("straight.exr"), { "--distortion", "distort" }, path("bent.exr"), data).status, 0);
    const Image back = readImage(path("back.exr"));
    const Image bent = readImage(path("bent.exr"));
    float largest = 0.0f;
    for (int y = 10; y < 98; ++y)
    {
        for (int x = 10; x < 182; ++x)
        {
            for (int channel = 0; channel < 3; ++channel)
            {
                largest = std::max(
                    largest, std::abs(back.at(x, y, channel) / bent.at(x, y, channel) - 1.0f));
            }
        }
    }
    EXPECT_LT(largest, 3e-3f);

    // Adding both to the enlarged frame, which the distortion enlarges further, equals the two
    // runs too.
    ASSERT_EQ(
        run(path("removed.exr"), { "--distortion", "distort" }, path("first.exr"), data).status, 0);
    ASSERT_EQ(run(path("first.exr"), { "--shading", "add" }, path("two.exr"), data).status, 0);
    EXPECT_LT(largestDifference(back, readImage(path("two.exr"))), 2e-6f);
}

TEST_F(RunOutcome, AClipNameIsANameNeverAPath)
{
    lens(0.0f);
    fs::create_directories(path("elsewhere"));
    struct Case
    {
        const char* name;
        std::string clipName;
        bool inPlate; ///< In the plate's metadata rather than --clip-name.
    };
    const std::vector<Case> cases {
        { "parent directories in the plate", "../../../elsewhere/X", true },
        { "separator in the plate", "elsewhere/A001C001", true },
        { "backslash on the command line", "elsewhere\\A001C001", false },
        { "dots on the command line", "..", false },
        { "control character on the command line", "A001\nC001", false },
    };
    for (const Case& bad : cases)
    {
        SCOPED_TRACE(bad.name);
        Image plate = testImage(192, 108, 3);
        if (bad.inPlate)
        {
            plate.spec.attribute("interim.clip.cameraClipName", bad.clipName);
        }
        writeImage(path("plate.exr"), plate);
        std::vector<std::string> arguments { path("plate.exr"), "--shading", "remove", "-o",
            path("out.exr") };
        if (!bad.inPlate)
        {
            arguments.insert(arguments.end(), { "--clip-name", bad.clipName });
        }
        const ToolRun result = runTool(arguments);
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.messages.find("a clip name must be a name"), std::string::npos)
            << result.messages;
        EXPECT_NE(result.messages.find(bad.inPlate ? "interim.clip.cameraClipName attribute of \""
                                                   : "Source: --clip-name"),
            std::string::npos)
            << result.messages;
        EXPECT_FALSE(fs::exists(path("out.exr")));
    }
}

TEST_F(RunOutcome, APreviewIsOfTheRunsFramesAndReadsOnlyItsOwn)
{
    const std::string data = lens(0.0f);
    writeSequence(path("plate/plate.%04d.exr"), 1001, 3, 64, 36, 3, OIIO::TypeHalf);
    struct Case
    {
        const char* name;
        std::vector<std::string> options;
        bool succeeds;
        const char* message;
    };
    const std::vector<Case> cases {
        { "outside --frames",
            { "--frames", "1001-1002", "--preview-frame", "1003", "-o",
                path("out/plate.####.exr") },
            false, "not one of the frames this run corrects" },
        { "not in the input", { "--preview-frame", "1010" }, false, "not a frame of the input" },
        { "preview only, another frame unreadable", { "--preview-frame", "1002" }, true, "" },
    };
    // A frame that cannot be decoded: only a run that reads it fails.
    fs::resize_file(path("plate/plate.1003.exr"), 100);
    for (const Case& preview : cases)
    {
        SCOPED_TRACE(preview.name);
        fs::remove_all(path("out"));
        fs::remove(path("preview.png"));
        std::vector<std::string> arguments { path("plate/plate.####.exr"), "--shading", "remove",
            "--preview", path("preview.png") };
        arguments.insert(arguments.end(), preview.options.begin(), preview.options.end());
        const std::vector<std::string> lensOptions = lensData(data);
        arguments.insert(arguments.end(), lensOptions.begin(), lensOptions.end());
        const ToolRun result = runTool(arguments);
        EXPECT_EQ(result.status == 0, preview.succeeds) << result.messages;
        EXPECT_EQ(fs::exists(path("preview.png")), preview.succeeds);
        EXPECT_NE(result.messages.find(preview.message), std::string::npos) << result.messages;
        // Refused before any work: nothing written.
        EXPECT_FALSE(fs::exists(path("out")) && !fs::is_empty(path("out")));
    }
}

TEST_F(RunOutcome, ProvenanceDescribesThisRunAloneAndTheHistoryKeepsTheEarlierOne)
{
    const std::string data = lens();
    writeImage(path("plate.exr"), testImage(96, 54, 3));
    ASSERT_EQ(
        run(path("plate.exr"), { "--shading", "remove" }, path("shaded.exr"), data).status, 0);
    ASSERT_EQ(
        run(path("shaded.exr"), { "--distortion", "undistort" }, path("both.exr"), data).status, 0);
    const OIIO::ImageSpec spec = readImage(path("both.exr")).spec;
    EXPECT_EQ(spec.get_string_attribute("lenscorrect:Distortion"), "undistort");
    EXPECT_EQ(spec.find_attribute("lenscorrect:Shading"), nullptr);
    const std::string history = spec.get_string_attribute("Exif:ImageHistory");
    EXPECT_NE(history.find("shading remove"), std::string::npos) << history;
    EXPECT_NE(history.find("distortion undistort"), std::string::npos) << history;
}
