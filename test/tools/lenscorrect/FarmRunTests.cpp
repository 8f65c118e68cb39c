// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The tool as a render farm runs it: chunks that resume what others left, damaged or not, and
// chunks that take the clip from a plan written once instead of reading every frame. Real EXR
// plates with timecodes, a real correction file, the library's kernels.
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "Correction/CorrectorSettings.h"
#include "Mapping/FrameMapping.h"
#include "Run/ClipPlan.h"
#include "ToolTestSupport.h"
#include "lenscorrect/CommandLine.h"

using namespace ToolTest;
namespace fs = std::filesystem;

namespace
{

constexpr int records = 12;
constexpr int firstRecord = 2; ///< The plate's first frame is the record at 01:00:00:02.

std::string bytesOf(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

class FarmRun : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// Plate frames 1001... (64 x 36, half float), frame i at 01:00:00:(2 + i) and 25 fps, but
    /// those in `withoutTimecode`; lens data whose barrel distortion grows with the record, so
    /// that every frame asks for another size.
    void writeClip(int count, const std::vector<int>& withoutTimecode = {})
    {
        std::vector<std::pair<float, float>> frames;
        for (int record = 0; record < records; ++record)
        {
            frames.emplace_back(60.0f + float(record), -10.0f - 4.0f * float(record));
        }
        TestSupport::TestCorrectionFile file = correctionFile(frames);
        for (int record = 0; record < records; ++record)
        {
            char timecode[16];
            std::snprintf(timecode, sizeof(timecode), "01:00:00:%02d", record);
            file.frames[size_t(record)].timecode = timecode;
        }
        lensFile = directory.writeFile("A001C001.tlcf", file.text());
        fs::create_directories(path("plate"));
        for (int i = 0; i < count; ++i)
        {
            const int number = 1001 + i;
            Image image = testImage(64, 36, 3, i);
            image.spec.set_format(OIIO::TypeHalf);
            if (std::find(withoutTimecode.begin(), withoutTimecode.end(), number)
                == withoutTimecode.end())
            {
                const unsigned frame = unsigned(firstRecord + i);
                const std::array<unsigned, 2> word { (frame / 10 * 16 + frame % 10) | 1u << 24,
                    0u };
                image.spec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, word.data());
            }
            const int rate[2] = { 25, 1 };
            image.spec.attribute("FramesPerSecond", OIIO::TypeRational, rate);
            writeImage(plateFrame(number), image);
        }
    }
    std::string plateFrame(int number) const
    {
        return path("plate/plate." + std::to_string(number) + ".exr");
    }

    std::vector<std::string> arguments(const std::string& output) const
    {
        std::vector<std::string> all { path("plate/plate.####.exr"), "--shading", "remove",
            "--distortion", "undistort", "-o", path(output + "/plate.####.exr") };
        const std::vector<std::string> data = lensData(lensFile);
        all.insert(all.end(), data.begin(), data.end());
        return all;
    }
    ToolRun run(const std::string& output, const std::vector<std::string>& more = {}) const
    {
        std::vector<std::string> all = arguments(output);
        all.insert(all.end(), more.begin(), more.end());
        return runTool(all);
    }

    TestSupport::TemporaryDirectory directory;
    std::string lensFile;
};

} // namespace

TEST_F(FarmRun, PlanRowsAreTheFrameMappingsAndItsSizeIsTheWholeClips)
{
    writeClip(6, { 1004 });
    const ToolRun written = run("out", { "--write-plan", path("clip.plan") });
    ASSERT_EQ(written.status, 0) << written.messages;
    EXPECT_TRUE(filesIn(path("out")).empty()) << "a plan renders nothing";
    const ToolRun whole = run("out", { "--keep-going" });
    ASSERT_EQ(whole.status, 1) << whole.messages; // Frame 1004 has no timecode.

    std::vector<const char*> argv { "lenscorrect" };
    const std::vector<std::string> all = arguments("out");
    for (const std::string& argument : all)
    {
        argv.push_back(argument.c_str());
    }
    std::ostringstream ignored;
    const LensCorrect::RunSettings options
        = *LensCorrect::parseCommandLine(int(argv.size()), argv.data(), ignored, ignored).options;
    const LensCorrect::InputClip clip(options.input);
    const LensCorrect::PlateMetadata plate(clip,
        LensCorrect::PlateMetadata::clipNameAttributes(
            "", LensCorrect::PlateMetadata::containerName(clip)));
    LensCorrect::ClipLensData lensData(LensCorrect::clipIdentity(options));
    const LensCorrect::FrameMapping mapping(options, clip, plate, lensData);

    const LensCorrect::ClipPlan plan = LensCorrect::ClipPlan::read(path("clip.plan"), {});
    ASSERT_EQ(plan.frames.size(), 6u);
    for (const LensCorrect::PlannedFrame& row : plan.frames)
    {
        const int number = row.frame.number;
        const LensCorrect::MappedFrame& mapped = mapping.frame(number);
        EXPECT_EQ(row.frame.path, plateFrame(number));
        EXPECT_EQ(row.input.size, fs::file_size(plateFrame(number)));
        ASSERT_EQ(row.key.has_value(), mapped.key.has_value()) << number;
        ASSERT_EQ(row.failure.has_value(), mapped.failure.has_value()) << number;
        if (row.key)
        {
            EXPECT_EQ(row.key->frameNumber, mapped.key->frameNumber) << number;
            EXPECT_EQ(row.key->framesPerSecond, mapped.key->framesPerSecond) << number;
            EXPECT_EQ(row.key->startTimecode, mapped.key->startTimecode) << number;
            // By its own timecode: frame field 2 + i in the second 01:00:00.
            EXPECT_EQ(row.key->frameNumber, uint32_t(firstRecord + number - 1001)) << number;
        }
        if (row.failure)
        {
            EXPECT_EQ(std::string(row.failure->what()), mapped.failure->what());
            EXPECT_EQ(row.failure->detailed(), mapped.failure->detailed());
        }
    }
    const Image output = readImage(path("out/plate.1001.exr"));
    EXPECT_EQ(plan.canvas.width, uint32_t(output.spec.width));
    EXPECT_EQ(plan.canvas.height, uint32_t(output.spec.height));
    EXPECT_GT(plan.canvas.width, 64u);
}

TEST_F(FarmRun, ChunkOfAPlanReadsOnlyItsOwnFramesAndWritesWhatTheWholeClipsRunWrites)
{
    writeClip(8);
    ASSERT_EQ(run("reference").status, 0);
    const ToolRun written = run("chunk", { "--write-plan", path("clip.plan") });
    ASSERT_EQ(written.status, 0) << written.messages;
    // Every other frame gone: a chunk that read any other header, or listed the sequence, could
    // neither run nor know the clip's size, which its last frames decide.
    for (int number = 1001; number <= 1008; ++number)
    {
        if (number != 1003)
        {
            fs::remove(plateFrame(number));
        }
    }
    const ToolRun chunk
        = run("chunk", { "--plan", path("clip.plan"), "--frames", "1003", "--skip-existing" });
    ASSERT_EQ(chunk.status, 0) << chunk.messages;
    EXPECT_EQ(filesIn(path("chunk")), std::vector<std::string> { "plate.1003.exr" });
    EXPECT_EQ(bytesOf(path("chunk/plate.1003.exr")), bytesOf(path("reference/plate.1003.exr")));
}

TEST_F(FarmRun, ChunkRefusesAPlanWhoseInputsOrOptionsChanged)
{
    const struct
    {
        const char* what;
        std::function<void()> change;
        std::vector<std::string> more;
        const char* message; ///< Empty: the chunk runs.
    } cases[] = {
        { "another chunk's frame rewritten",
            [this] { fs::last_write_time(plateFrame(1002), fs::file_time_type::clock::now()); }, {},
            "" },
        { "its own frame rewritten",
            [this]
            {
                fs::last_write_time(plateFrame(1001),
                    fs::last_write_time(plateFrame(1001)) + std::chrono::seconds(5));
            },
            {}, "An input has changed since the plan was written." },
        { "the lens data edited", [this] { std::ofstream(lensFile, std::ios::app) << "\n"; }, {},
            "An input has changed since the plan was written." },
        { "other corrections", [] {}, { "--keep-size" },
            "The plan was written for other options than this run's.\nPlan: " },
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(entry.what);
        writeClip(3);
        const ToolRun written = run("out", { "--write-plan", path("clip.plan") });
        ASSERT_EQ(written.status, 0) << written.messages;
        entry.change();
        std::vector<std::string> more { "--plan", path("clip.plan"), "--frames", "1001" };
        more.insert(more.end(), entry.more.begin(), entry.more.end());
        const ToolRun chunk = run("out", more);
        EXPECT_EQ(chunk.status, *entry.message ? 1 : 0) << chunk.messages;
        EXPECT_NE(chunk.messages.find(entry.message), std::string::npos) << chunk.messages;
    }
    const ToolRun missing = run("out", { "--plan", path("none.plan") });
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.messages.find("The plan cannot be read."), std::string::npos);
}

TEST_F(FarmRun, SkipExistingRedoesWhatIsEmptyTruncatedOrAnotherFramesAndSaysSo)
{
    writeClip(5);
    ASSERT_EQ(run("out").status, 0);
    std::map<int, std::string> reference;
    for (int number = 1001; number <= 1005; ++number)
    {
        reference[number] = bytesOf(path("out/plate." + std::to_string(number) + ".exr"));
    }
    const auto output
        = [&](int number) { return path("out/plate." + std::to_string(number) + ".exr"); };
    const auto kept = fs::last_write_time(output(1001));

    const struct
    {
        int frame;
        std::function<void(const std::string&)> damage;
        const char* reason;
    } damages[] = {
        { 1002, [](const std::string& file) { fs::resize_file(file, 0); }, "is empty" },
        { 1003, [](const std::string& file) { fs::resize_file(file, fs::file_size(file) * 3 / 4); },
            "" },
        { 1004,
            [&](const std::string& file)
            { fs::copy_file(output(1001), file, fs::copy_options::overwrite_existing); },
            "records other lens data or corrections" },
        { 1005,
            [&](const std::string& file)
            { fs::copy_file(plateFrame(1005), file, fs::copy_options::overwrite_existing); },
            "is 64x36 px with 3 channels, not " },
    };
    for (const auto& entry : damages)
    {
        entry.damage(output(entry.frame));
    }
    const ToolRun resumed = run("out", { "--skip-existing", "--quiet" });
    ASSERT_EQ(resumed.status, 0) << resumed.messages;
    for (const auto& entry : damages)
    {
        const std::string said = "frame " + std::to_string(entry.frame) + ": \""
            + output(entry.frame) + "\" " + entry.reason;
        EXPECT_NE(resumed.messages.find(said), std::string::npos) << said << "\n"
                                                                  << resumed.messages;
        EXPECT_EQ(bytesOf(output(entry.frame)), reference[entry.frame]) << entry.frame;
    }
    EXPECT_EQ(fs::last_write_time(output(1001)), kept);
    EXPECT_EQ(resumed.messages.find("frame 1001:"), std::string::npos) << resumed.messages;
}
