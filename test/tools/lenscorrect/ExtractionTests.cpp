// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Plates that are a window of the camera's recorded frame, through the tool on real files with
// the library's kernels: each plate is corrected as the part of the frame it is, which must equal
// the whole recorded frame corrected and cut to the window; and the refusals that say how to
// state the window.
#include <cmath>
#include <filesystem>
#include <map>

#include <OpenImageIO/strutil.h>
#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;
namespace fs = std::filesystem;

namespace
{

class Extraction : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// A recording of 480x270 px (23.76 mm wide) through a lens that shades from 100 % to 55 %
    /// at 21.4 mm and has barrel distortion.
    std::string lens() const
    {
        TestSupport::TestCorrectionFile file = correctionFile({ { 100.0f, -60.0f } });
        file.clipWidth = 480;
        file.clipHeight = 270;
        file.frames[0].shading = { 100.0f, 96.0f, 86.0f, 72.0f, 64.0f, 55.0f };
        return directory.writeFile("A001C001.tlcf", file.text());
    }

    ToolRun run(const std::string& input, std::vector<std::string> options) const
    {
        options.insert(options.begin(), input);
        const std::vector<std::string> data = lensData(path("A001C001.tlcf"));
        options.insert(options.end(), data.begin(), data.end());
        return runTool(options);
    }

    TestSupport::TemporaryDirectory directory;
};

/// The part of `image` at (x, y) of `width` x `height`, with its data window at `origin`.
Image cut(const Image& image, int x, int y, int width, int height, int origin = 0)
{
    Image part { OIIO::ImageSpec(width, height, image.spec.nchannels, OIIO::TypeFloat), {} };
    part.spec.x = part.spec.y = origin;
    for (int row = 0; row < height; ++row)
    {
        for (int column = 0; column < width; ++column)
        {
            for (int channel = 0; channel < image.spec.nchannels; ++channel)
            {
                part.pixels.push_back(image.at(x + column, y + row, channel));
            }
        }
    }
    return part;
}

bool inside(const Image& image, int x, int y)
{
    return x >= image.spec.x && y >= image.spec.y && x < image.spec.x + image.spec.width
        && y < image.spec.y + image.spec.height;
}

/// Largest difference between the window's output and the whole frame's output at the same
/// place of the recording (the window's picture at (x, y) in the whole frame's), over the
/// pixels `inset` or more inside the plate's pixels (`plate`, in the window's coordinates),
/// where the whole frame has pixels the plate lacks just beyond. Counts the pixels compared.
float windowDifference(const Image& window, const Image& whole, int x, int y, const Image& plate,
    int inset, size_t& compared)
{
    float largest = 0.0f;
    compared = 0;
    for (int row = plate.spec.y + inset; row < plate.spec.y + plate.spec.height - inset; ++row)
    {
        for (int column = plate.spec.x + inset; column < plate.spec.x + plate.spec.width - inset;
             ++column)
        {
            if (!inside(window, column, row) || !inside(whole, column + x, row + y))
            {
                continue;
            }
            ++compared;
            for (int channel = 0; channel < 4; ++channel)
            {
                largest = std::max(largest,
                    std::abs(
                        window.at(column, row, channel) - whole.at(column + x, row + y, channel)));
            }
        }
    }
    return largest;
}

struct Extent
{
    int width;
    int height;
};

struct WindowCase
{
    const char* name;
    Extent full; ///< The recording at the plate's scale.
    int x, y; ///< The plate's picture in it.
    Extent picture;
    int pad; ///< An EXR pull's overscan margin around the picture.
    std::vector<std::string> options;
    const char* reported; ///< In the run's report.
};

} // namespace

// The recording is 480x270 px; the whole frame at the plate's scale is corrected once, and every
// plate cut from it is corrected with --extraction saying where it lies.
TEST_F(Extraction, EachWindowEqualsTheWholeRecordedFrameCorrectedAndCut)
{
    lens();
    const std::vector<std::string> removeBoth { "--shading", "remove", "--distortion",
        "undistort" };
    const std::vector<std::string> addBoth { "--distortion", "distort", "--shading", "add" };
    const auto with = [](std::vector<std::string> options, const std::vector<std::string>& more)
    {
        options.insert(options.end(), more.begin(), more.end());
        return options;
    };
    const std::vector<WindowCase> cases {
        { "centred 2.39 extraction", { 480, 270 }, 1, 35, { 478, 200 }, 0,
            with({ "--extraction", "478x200" }, removeBoth),
            "optical centre at 239, 100 in it, its middle" },
        { "padded pull", { 480, 270 }, 40, 51, { 400, 168 }, 16,
            with({ "--extraction", "400x168" }, removeBoth), "(400x168 px without overscan)" },
        { "off-centre extraction", { 480, 270 }, 150, 20, { 300, 150 }, 0,
            with({ "--extraction", "300x150+150+20", "--stmap", path("stmap.exr"), "--gain-map",
                     path("gain.exr") },
                removeBoth),
            "optical centre at 90, 115 in it; corrected in a 420x230 px buffer" },
        { "off-centre, the lens put back", { 480, 270 }, 150, 20, { 300, 150 }, 0,
            with({ "--extraction", "300x150+150+20" }, addBoth), "420x230 px buffer" },
        { "scaled reformat", { 240, 135 }, 20, 18, { 200, 100 }, 0,
            { "--extraction", "400x200+40+36@0.5", "--distortion", "undistort" },
            "at scale 0.5: the plate's picture 200x100 px" },
        { "proxy of an extraction", { 240, 135 }, 0, 17, { 240, 101 }, 0,
            with({ "--extraction", "480x202" }, removeBoth),
            "at scale 0.5 (from the plate's width)" },
    };
    std::map<std::string, std::string> wholeFrames;
    for (const WindowCase& window : cases)
    {
        SCOPED_TRACE(window.name);
        const Image full = testImage(window.full.width, window.full.height, 4);
        // The whole frame with the same corrections (all but --extraction and the maps).
        std::vector<std::string> corrections;
        for (size_t i = 2; i < window.options.size(); ++i)
        {
            corrections.push_back(window.options[i]);
        }
        std::vector<std::string> wholeOptions;
        for (size_t i = 0; i < corrections.size(); ++i)
        {
            const bool map = corrections[i] == "--stmap" || corrections[i] == "--gain-map";
            wholeOptions.push_back(corrections[i]);
            if (map)
            {
                wholeOptions.push_back(path("whole-" + corrections[i].substr(2) + ".exr"));
                ++i;
            }
        }
        const std::string key
            = std::to_string(window.full.width) + "-" + OIIO::Strutil::join(wholeOptions, " ");
        if (!wholeFrames.count(key))
        {
            // Letters: a name ending in a number reads as a frame of a sequence.
            const std::string name = "whole-" + std::string(1, char('a' + wholeFrames.size()));
            writeImage(path(name + ".exr"), full);
            wholeOptions.insert(wholeOptions.end(), { "-o", path(name + "-out.exr") });
            const ToolRun whole = run(path(name + ".exr"), wholeOptions);
            ASSERT_EQ(whole.status, 0) << whole.messages;
            wholeFrames[key] = path(name + "-out.exr");
        }

        // The plate: the picture's pixels, and an EXR pull's margin around them.
        Image plate = cut(full, window.x - window.pad, window.y - window.pad,
            window.picture.width + 2 * window.pad, window.picture.height + 2 * window.pad,
            -window.pad);
        plate.spec.full_x = plate.spec.full_y = 0;
        plate.spec.full_width = window.picture.width;
        plate.spec.full_height = window.picture.height;
        writeImage(path("plate.exr"), plate);
        std::vector<std::string> options = window.options;
        options.insert(options.end(), { "-o", path("window.exr") });
        const ToolRun result = run(path("plate.exr"), options);
        ASSERT_EQ(result.status, 0) << result.messages;
        EXPECT_NE(result.messages.find(window.reported), std::string::npos) << result.messages;

        const Image corrected = readImage(path("window.exr"));
        const Image whole = readImage(wholeFrames[key]);
        EXPECT_EQ(corrected.spec.full_width, window.picture.width);
        EXPECT_EQ(corrected.spec.full_height, window.picture.height);
        size_t compared = 0;
        EXPECT_LT(
            windowDifference(corrected, whole, window.x, window.y, plate, 10, compared), 2e-5f);
        EXPECT_GT(compared, size_t(window.picture.width * window.picture.height / 2));

        if (fs::exists(path("stmap.exr")))
        {
            // Positions in the plate against the whole frame's, moved by the window's corner.
            const Image stMap = readImage(path("stmap.exr"));
            const Image wholeStMap = readImage(path("whole-stmap.exr"));
            const Image gain = readImage(path("gain.exr"));
            const Image wholeGain = readImage(path("whole-gain-map.exr"));
            float largestShift = 0.0f;
            float largestGain = 0.0f;
            for (int y = 0; y < window.picture.height; ++y)
            {
                for (int x = 0; x < window.picture.width; ++x)
                {
                    largestGain = std::max(largestGain,
                        std::abs(gain.at(x, y, 0) - wholeGain.at(x + window.x, y + window.y, 0)));
                    if (stMap.at(x, y, 3) < 1.0f
                        || wholeStMap.at(x + window.x, y + window.y, 3) < 1.0f)
                    {
                        continue;
                    }
                    const float s = wholeStMap.at(x + window.x, y + window.y, 0) * 480.0f - 150.0f;
                    const float t
                        = (1.0f - wholeStMap.at(x + window.x, y + window.y, 1)) * 270.0f - 20.0f;
                    largestShift
                        = std::max({ largestShift, std::abs(stMap.at(x, y, 0) * 300.0f - s),
                            std::abs((1.0f - stMap.at(x, y, 1)) * 150.0f - t) });
                }
            }
            EXPECT_LT(largestShift, 5e-4f);
            EXPECT_LT(largestGain, 2e-6f);
            EXPECT_EQ(stMap.spec.full_width, 300);
            EXPECT_EQ(gain.spec.width, 300);
            fs::remove(path("stmap.exr"));

            // A dry run says where the plate lies, too.
            const ToolRun dryRun = run(path("plate.exr"),
                { "--extraction", "300x150+150+20", "--distortion", "undistort", "--dry-run" });
            EXPECT_EQ(dryRun.status, 0) << dryRun.messages;
            EXPECT_NE(dryRun.messages.find("extraction 300x150 px at 150, 20 of the 480x270 px "
                                           "recording"),
                std::string::npos)
                << dryRun.messages;
        }
    }
}

TEST_F(Extraction, APlateThatCannotBePlacedIsRefusedWithTheSizesAndTheOption)
{
    lens();
    writeImage(path("plate.exr"), testImage(478, 200, 3));
    struct Refusal
    {
        const char* name;
        std::vector<std::string> options;
        int status;
        const char* brief;
        const char* hint;
    };
    const std::vector<Refusal> refusals {
        { "beyond the recording's edge", { "--extraction", "478x200+10+35" }, 1,
            "The extraction does not lie inside the recording.",
            "inside the recording's 480x270 px" },
        { "larger than the recording", { "--extraction", "500x200" }, 1,
            "The extraction does not lie inside the recording.", "Extraction: 500x200 px" },
        { "a scale that gives another size", { "--extraction", "478x200@0.5" }, 1,
            "The plate's size does not match the extraction at its scale.", "giving 239x100 px" },
        { "a window of another shape", { "--extraction", "478x150" }, 1,
            "The plate's size does not match the extraction at its scale.",
            "such as --extraction 478x200" },
        { "neither the recording's shape nor a window", {}, 1,
            "The plate is neither the recording format at another size nor a window of it.",
            "--extraction 478x200 for a centred cut" },
        { "not a window", { "--extraction", "478by200" }, 2, "is not WIDTHxHEIGHT",
            "--extraction" },
    };
    for (const Refusal& refusal : refusals)
    {
        SCOPED_TRACE(refusal.name);
        std::vector<std::string> options = refusal.options;
        options.insert(options.end(), { "--shading", "remove", "-o", path("out.exr") });
        const ToolRun result = run(path("plate.exr"), options);
        EXPECT_EQ(result.status, refusal.status);
        EXPECT_NE(result.messages.find(refusal.brief), std::string::npos) << result.messages;
        EXPECT_NE(result.messages.find(refusal.hint), std::string::npos) << result.messages;
        EXPECT_FALSE(fs::exists(path("out.exr")));
    }
}
