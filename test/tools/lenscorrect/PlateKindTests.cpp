// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Plates as they come from a facility, through the lenscorrect program on real EXR files: a
// render's bounding box inside its display window, multi-part frames, and sequences whose frames
// differ in kind. Each result is checked against the same correction of a plain frame.
#include <algorithm>
#include <filesystem>

#include <OpenImageIO/deepdata.h>
#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;
namespace fs = std::filesystem;

namespace
{

class PlateKinds : public ::testing::Test
{
protected:
    PlateKinds()
    {
        // Shading and distortion that both change with the radius, so that a picture corrected
        // about another centre differs everywhere.
        TestSupport::TestCorrectionFile file = correctionFile({ { 100.0f, -40.0f } });
        file.frames[0].shading = { 100.0f, 97.0f, 90.0f, 78.0f, 68.0f, 55.0f };
        file.frames.push_back(file.frames[0]);
        file.frames[1].frameNumber = 1;
        lensFile = directory.writeFile("A001C001.tlcf", file.text());
    }

    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    ToolRun correct(std::vector<std::string> arguments) const
    {
        const std::vector<std::string> data = lensData(lensFile);
        arguments.insert(arguments.end(), data.begin(), data.end());
        return runProgram(LC_LENSCORRECT_PATH, arguments);
    }

    TestSupport::TemporaryDirectory directory;
    std::string lensFile;
};

/// The part of an image inside a window: a data window inside the same display window.
Image cut(const Image& image, int x, int y, int width, int height)
{
    Image part = image;
    part.spec.x = x;
    part.spec.y = y;
    part.spec.width = width;
    part.spec.height = height;
    part.pixels.clear();
    for (int row = y; row < y + height; ++row)
    {
        for (int column = x; column < x + width; ++column)
        {
            for (int channel = 0; channel < image.spec.nchannels; ++channel)
            {
                part.pixels.push_back(image.at(column, row, channel));
            }
        }
    }
    return part;
}

void writeParts(const std::string& path, const std::vector<Image>& parts)
{
    std::vector<OIIO::ImageSpec> specs;
    for (const Image& part : parts)
    {
        specs.push_back(part.spec);
    }
    auto output = OIIO::ImageOutput::create(path);
    bool written = output && output->open(path, int(specs.size()), specs.data());
    for (size_t index = 0; written && index < parts.size(); ++index)
    {
        written
            = (index == 0 || output->open(path, specs[index], OIIO::ImageOutput::AppendSubimage))
            && output->write_image(OIIO::TypeFloat, parts[index].pixels.data());
    }
    if (!written || !output->close())
    {
        throw std::runtime_error("cannot write " + path + ": " + OIIO::geterror());
    }
}

std::vector<Image> readParts(const std::string& path)
{
    auto input = OIIO::ImageInput::open(path);
    std::vector<Image> parts;
    while (input && input->seek_subimage(int(parts.size()), 0))
    {
        Image part { input->spec(), {} };
        part.pixels.resize(size_t(part.spec.width) * part.spec.height * part.spec.nchannels);
        if (!input->read_image(
                int(parts.size()), 0, 0, part.spec.nchannels, OIIO::TypeFloat, part.pixels.data()))
        {
            throw std::runtime_error("cannot read " + path + ": " + input->geterror());
        }
        parts.push_back(part);
    }
    return parts;
}

std::array<int, 4> dataWindow(const OIIO::ImageSpec& spec)
{
    return { spec.x, spec.y, spec.width, spec.height };
}

std::array<int, 4> displayWindow(const OIIO::ImageSpec& spec)
{
    return { spec.full_x, spec.full_y, spec.full_width, spec.full_height };
}

} // namespace

TEST_F(PlateKinds, ABoundingBoxIsCorrectedAtItsPlaceInTheDisplayWindow)
{
    // An off-centre box, as a render of one element comes: corrected as a crop taken for the
    // whole picture, it would have its lens centre in its own middle.
    const Image full = testImage(192, 108, 4);
    writeImage(path("full.exr"), full);
    const int x = 20, y = 10, width = 100, height = 60;
    writeImage(path("box.exr"), cut(full, x, y, width, height));

    const struct
    {
        const char* name;
        std::vector<std::string> corrections;
        int margin; ///< Pixels inside the box's edge whose correction reads pixels beyond it.
    } cases[] = {
        { "shading", { "--shading", "remove" }, 0 },
        { "distortion", { "--distortion", "undistort" }, 8 },
        { "both added", { "--distortion", "distort", "--shading", "add" }, 8 },
        { "kept size", { "--distortion", "undistort", "--keep-size" }, 8 },
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.name);
        std::vector<std::string> arguments = entry.corrections;
        arguments.insert(arguments.begin(), { path("full.exr"), "-o", path("full-out.exr") });
        ASSERT_EQ(correct(arguments).status, 0);
        arguments[0] = path("box.exr");
        arguments[2] = path("box-out.exr");
        const ToolRun run = correct(arguments);
        ASSERT_EQ(run.status, 0) << run.messages;

        const Image whole = readImage(path("full-out.exr"));
        const Image box = readImage(path("box-out.exr"));
        EXPECT_EQ(displayWindow(box.spec), (std::array { 0, 0, 192, 108 }));
        // Shading leaves the pixels where they are; distortion fills the whole frame.
        const bool shadingOnly = entry.margin == 0;
        EXPECT_EQ(dataWindow(box.spec),
            shadingOnly ? dataWindow(cut(full, x, y, width, height).spec) : dataWindow(whole.spec));
        for (int row = y + entry.margin; row < y + height - entry.margin; ++row)
        {
            for (int column = x + entry.margin; column < x + width - entry.margin; ++column)
            {
                for (int channel = 0; channel < 4; ++channel)
                {
                    ASSERT_NEAR(box.at(column, row, channel), whole.at(column, row, channel),
                        2e-6f * std::abs(whole.at(column, row, channel)) + 1e-7f)
                        << column << "," << row << " channel " << channel;
                }
            }
        }
        if (!shadingOnly)
        {
            // Far from the box the frame holds nothing.
            EXPECT_EQ(box.at(180, 100, 0), 0.0f);
        }
    }

    Image across = cut(full, 100, 10, 92, 60);
    across.spec.x = 120;
    writeImage(path("across.exr"), across);
    const ToolRun refused
        = correct({ path("across.exr"), "--shading", "remove", "-o", path("across-out.exr") });
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(
        refused.messages.find("The plate's data window lies partly outside its display window.\n"
                              "Data Window: 92x60 px at 120, 10\n"
                              "Display Window: 192x108 px at 0, 0"),
        std::string::npos)
        << refused.messages;
    EXPECT_FALSE(fs::exists(path("across-out.exr")));
}

TEST_F(PlateKinds, EveryPartOfAMultiPartFrameIsCorrected)
{
    // Two views of one frame, each as it would be alone: its own channels, type and name.
    Image left = testImage(192, 108, 4, 0);
    left.spec.set_format(OIIO::TypeHalf);
    left.spec.attribute("oiio:subimagename", "left");
    Image right = testImage(192, 108, 3, 1);
    right.spec.channelnames = { "right.R", "right.G", "right.B" };
    right.spec.attribute("oiio:subimagename", "right");
    writeParts(path("stereo.exr"), { left, right });
    writeImage(path("left.exr"), left);
    writeImage(path("right.exr"), right);
    const std::vector<std::string> corrections { "--shading", "remove", "--distortion",
        "undistort" };
    const auto run = [&](const std::string& input, const std::string& output)
    {
        std::vector<std::string> arguments { path(input), "-o", path(output) };
        arguments.insert(arguments.end(), corrections.begin(), corrections.end());
        const ToolRun result = correct(arguments);
        EXPECT_EQ(result.status, 0) << result.messages;
    };
    run("stereo.exr", "stereo-out.exr");
    run("left.exr", "left-out.exr");
    run("right.exr", "right-out.exr");

    const std::vector<Image> parts = readParts(path("stereo-out.exr"));
    ASSERT_EQ(parts.size(), 2u);
    const Image alone[] = { readImage(path("left-out.exr")), readImage(path("right-out.exr")) };
    const Image* inputs[] = { &left, &right };
    for (size_t index = 0; index < 2; ++index)
    {
        const OIIO::ImageSpec& spec = parts[index].spec;
        SCOPED_TRACE(index);
        EXPECT_EQ(spec.get_string_attribute("oiio:subimagename"),
            inputs[index]->spec.get_string_attribute("oiio:subimagename"));
        EXPECT_EQ(spec.channelnames, inputs[index]->spec.channelnames);
        EXPECT_EQ(spec.format, inputs[index]->spec.format);
        EXPECT_EQ(displayWindow(spec), (std::array { 0, 0, 192, 108 }));
        EXPECT_EQ(dataWindow(spec), dataWindow(alone[index].spec));
        EXPECT_GT(spec.width, 192);
        EXPECT_EQ(parts[index].pixels, alone[index].pixels);
    }

    // Parts that cannot be corrected refuse the run, naming the part; nothing is written.
    // The parts of an EXR share one display window; this one's data window is overscan.
    Image wider = testImage(216, 122, 3, 1);
    wider.spec.x = -12;
    wider.spec.y = -7;
    wider.spec.full_width = 192;
    wider.spec.full_height = 108;
    wider.spec.attribute("oiio:subimagename", "right");
    writeParts(path("sizes.exr"), { left, wider });
    OIIO::ImageSpec deepSpec(192, 108, 5, OIIO::TypeFloat);
    deepSpec.channelnames = { "R", "G", "B", "A", "Z" };
    deepSpec.deep = true;
    auto deepFile = OIIO::ImageOutput::create(path("deep.exr"));
    ASSERT_TRUE(deepFile->open(path("deep.exr"), deepSpec));
    ASSERT_TRUE(deepFile->write_deep_image(OIIO::DeepData(deepSpec)));
    ASSERT_TRUE(deepFile->close());
    const struct
    {
        const char* input;
        const char* output;
        const char* message;
    } refusals[] = {
        { "sizes.exr", "out.exr", "A part of the plate's frames cannot be corrected.\nPath: \"" },
        { "sizes.exr", "out.exr",
            "Part: 2 of 2, \"right\"\nReason: its picture (216x122 px at -12, -7, 192x108 px "
            "without overscan) is not the first part's (192x108 px at 0, 0)" },
        { "deep.exr", "out.exr", "Reason: it holds deep data" },
        { "stereo.exr", "out.png",
            "The output format cannot hold every part of the plate's frames." },
    };
    for (const auto& refusal : refusals)
    {
        const ToolRun result
            = correct({ path(refusal.input), "--shading", "remove", "-o", path(refusal.output) });
        EXPECT_EQ(result.status, 1) << refusal.message;
        EXPECT_NE(result.messages.find(refusal.message), std::string::npos) << result.messages;
        EXPECT_FALSE(fs::exists(path(refusal.output)));
    }
}

TEST_F(PlateKinds, FramesThatDifferInKindAreRefusedOrHandledPerFrame)
{
    const struct
    {
        const char* name;
        const char* extension;
        /// Frame 1002 made from frame 1001.
        void (*differ)(Image& frame, std::vector<Image>& moreParts);
        std::vector<std::string> options;
        const char* refusal; ///< Null: the frame is handled.
    } cases[] = {
        { "pixel type, per frame", "exr",
            [](Image& frame, std::vector<Image>&) { frame.spec.set_format(OIIO::TypeFloat); }, {},
            nullptr },
        { "data window, per frame", "exr",
            [](Image& frame, std::vector<Image>&) { frame = cut(frame, 8, 4, 40, 20); }, {},
            nullptr },
        { "channel names", "exr",
            [](Image& frame, std::vector<Image>&) {
                frame.spec.channelnames = { "X", "Y", "Z", "A" };
            },
            {}, "The frame's channel naming differs from the clip's first frame." },
        { "colour space", "png",
            [](Image& frame, std::vector<Image>&)
            { frame.spec.attribute("oiio:ColorSpace", "linear"); },
            {}, "The frame's colour space differs from the clip's first frame." },
        { "colour space named for every frame", "png",
            [](Image& frame, std::vector<Image>&)
            { frame.spec.attribute("oiio:ColorSpace", "linear"); },
            { "--colorspace", "sRGB" }, nullptr },
        { "display window", "exr",
            [](Image& frame, std::vector<Image>&)
            {
                frame.spec.full_x = 2;
                frame.spec.x = 2;
            },
            {}, "The frame's picture differs from the clip's first frame." },
        { "picture size", "exr",
            [](Image& frame, std::vector<Image>&) { frame = testImage(80, 45, 4, 1); }, {},
            "The frame's picture differs from the clip's first frame." },
        { "parts", "exr",
            [](Image& frame, std::vector<Image>& moreParts)
            {
                frame.spec.attribute("oiio:subimagename", "left");
                moreParts.push_back(frame);
                moreParts.back().spec.attribute("oiio:subimagename", "right");
            },
            {}, "The frame has another number of parts than the clip's first frame." },
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.name);
        const std::string extension = entry.extension;
        const std::string in = "in-" + std::to_string(&entry - cases) + "/";
        const std::string out = "out-" + std::to_string(&entry - cases) + "/";
        Image first = testImage(64, 36, 4);
        first.spec.set_format(extension == "exr" ? OIIO::TypeHalf : OIIO::TypeUInt8);
        if (extension == "png")
        {
            first.spec.attribute("oiio:ColorSpace", "sRGB");
        }
        writeImage(path(in + "p.1001." + extension), first);
        Image second = testImage(64, 36, 4, 1);
        second.spec = first.spec;
        std::vector<Image> parts;
        entry.differ(second, parts);
        parts.insert(parts.begin(), second);
        writeParts(path(in + "p.1002." + extension), parts);

        std::vector<std::string> arguments { path(in + "p.####." + extension), "--shading",
            "remove", "--keep-going", "-o", path(out + "p.####." + extension) };
        arguments.insert(arguments.end(), entry.options.begin(), entry.options.end());
        const ToolRun run = correct(arguments);
        arguments.push_back("--dry-run");
        const ToolRun dryRun = correct(arguments);
        if (!entry.refusal)
        {
            EXPECT_EQ(run.status, 0) << run.messages;
            EXPECT_EQ(dryRun.status, 0) << dryRun.messages;
            const Image written = readImage(path(out + "p.1002." + extension));
            EXPECT_EQ(written.spec.format, second.spec.format);
            EXPECT_EQ(dataWindow(written.spec), dataWindow(second.spec));
            continue;
        }
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.messages.find(std::string("frame 1002: ") + entry.refusal), std::string::npos)
            << run.messages;
        EXPECT_EQ(filesIn(path(out)), (std::vector<std::string> { "p.1001." + extension }));
        EXPECT_EQ(dryRun.status, 1);
        EXPECT_NE(dryRun.messages.find(entry.refusal), std::string::npos) << dryRun.messages;
    }
}
