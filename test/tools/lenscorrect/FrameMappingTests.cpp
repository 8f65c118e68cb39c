// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Which record a plate frame takes at the edges of the lens data: before its first record and
// beyond the clip's length, records whose timecodes disagree with their numbers, and drop-frame
// timecode. The lenscorrect program on small real files; drop-frame labels counted here by
// stepping through them one by one.
#include <cstdio>
#include <filesystem>
#include <set>

#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;

namespace
{

struct Label
{
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int frames = 0;

    std::string text() const
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%02d:%02d:%02d:%02d", hours, minutes, seconds, frames);
        return text;
    }
};

/// The first `count` labels of drop-frame timecode at `perSecond` (30 or 60), stepped through:
/// HH:MM:00:00 and :01 (to :03 at 60) do not exist unless the minute is divisible by ten.
std::vector<Label> dropFrameLabels(int perSecond, size_t count)
{
    std::vector<Label> labels;
    Label label;
    while (labels.size() < count)
    {
        labels.push_back(label);
        if (++label.frames == perSecond)
        {
            label.frames = 0;
            if (++label.seconds == 60)
            {
                label.seconds = 0;
                label.hours += ++label.minutes / 60;
                label.minutes %= 60;
                if (label.minutes % 10 != 0)
                {
                    label.frames = perSecond / 15;
                }
            }
        }
    }
    return labels;
}

/// The packed SMPTE time word of a label, binary-coded decimal, drop-frame flag in bit 6.
std::array<unsigned, 2> timeWord(const Label& label, bool dropFrame)
{
    const auto bcd = [](int value) { return unsigned(value / 10 * 16 + value % 10); };
    return { bcd(label.frames) | (dropFrame ? 0x40u : 0u) | bcd(label.seconds) << 8
            | bcd(label.minutes) << 16 | bcd(label.hours) << 24,
        0u };
}

class FrameMapping : public ::testing::Test
{
protected:
    std::string path(const std::string& name) const { return directory.path() + "/" + name; }

    /// Lens data of clip A001C001 with records (number, timecode).
    std::string writeLensData(const std::vector<std::pair<uint32_t, std::string>>& records,
        uint32_t length, const std::string& rate = "25", bool dropFrame = false)
    {
        TestSupport::TestCorrectionFile file
            = correctionFile(std::vector<std::pair<float, float>>(records.size(), { 50.0f, 0.0f }));
        for (size_t i = 0; i < records.size(); ++i)
        {
            file.frames[i].frameNumber = records[i].first;
            file.frames[i].timecode = records[i].second;
        }
        file.clipDurationFrames = length;
        file.tcFps = rate;
        file.tcDrop = dropFrame;
        return directory.writeFile("A001C001.tlcf", file.text());
    }

    /// Plate frames p.1001.exr, ... with these timecodes at rate / scale fps.
    void writePlate(const std::vector<Label>& labels, bool dropFrame, int rate, int scale)
    {
        std::filesystem::remove_all(path("in"));
        for (size_t i = 0; i < labels.size(); ++i)
        {
            Image image = testImage(64, 36, 3, int(i));
            const auto word = timeWord(labels[i], dropFrame);
            image.spec.attribute("smpte:TimeCode", OIIO::TypeTimeCode, word.data());
            const int fps[2] = { rate, scale };
            image.spec.attribute("FramesPerSecond", OIIO::TypeRational, fps);
            writeImage(path("in/p." + std::to_string(1001 + i) + ".exr"), image);
        }
    }

    static ToolRun lenscorrect(std::vector<std::string> arguments, const std::string& lensFile)
    {
        arguments.insert(arguments.end(), { "--shading", "remove" });
        const std::vector<std::string> data = lensData(lensFile);
        arguments.insert(arguments.end(), data.begin(), data.end());
        return runProgram(LC_LENSCORRECT_PATH, arguments);
    }

    TestSupport::TemporaryDirectory directory;
};

constexpr const char* beforeTheClip = "no lens data: Metadata for the frame is not available.";
constexpr const char* beyondTheClip = "no lens data: The frame lies beyond the clip's end.";

TEST_F(FrameMapping, FramesBeforeTheFirstRecordOrBeyondTheClipsLengthHaveNoLensData)
{
    writeSequence(path("in/p.%04d.exr"), 1001, 6, 64, 36, 3, OIIO::TypeHalf);
    // Sparse records: each applies up to the next one.
    const std::vector<std::pair<uint32_t, std::string>> records { { 2, "01:00:00:02" },
        { 4, "01:00:00:04" } };
    const std::string two = "lens data frame 2 (01:00:00:02)";
    const std::string four = "lens data frame 4 (01:00:00:04)";
    struct Case
    {
        const char* name;
        uint32_t length;
        std::vector<std::string> options;
        std::array<std::string, 6> takes; ///< Of plate frames 1001 to 1006.
    };
    const Case cases[] = {
        { "clip frames 0-5 of 5", 5, { "--first-frame", "1001" },
            { beforeTheClip, beforeTheClip, two, two, four, beyondTheClip } },
        { "the same by timecode", 5, { "--start-timecode", "01:00:00:00" },
            { beforeTheClip, beforeTheClip, two, two, four, beyondTheClip } },
        { "clip frames 2-7 of 8", 8, { "--first-frame", "999" },
            { two, two, four, four, four, four } },
        { "clip frames 5-10 of 8", 8, { "--first-frame", "996" },
            { four, four, four, beyondTheClip, beyondTheClip, beyondTheClip } },
        { "no length", 0, { "--first-frame", "996" }, { four, four, four, four, four, four } },
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        std::vector<std::string> arguments { path("in/p.####.exr"), "--dry-run" };
        arguments.insert(arguments.end(), test.options.begin(), test.options.end());
        const ToolRun run = lenscorrect(arguments, writeLensData(records, test.length));
        bool complete = true;
        for (size_t i = 0; i < test.takes.size(); ++i)
        {
            const std::string line = std::to_string(1001 + i) + "  p." + std::to_string(1001 + i)
                + ".exr  --:--:--:--  -> " + test.takes[i] + "\n";
            EXPECT_NE(run.messages.find(line), std::string::npos) << line << run.messages;
            complete = complete && test.takes[i].rfind("no lens data", 0) != 0;
        }
        EXPECT_EQ(run.status, complete ? 0 : 1) << run.messages;
        const std::string remark = "the lens data gives no clip length: its last record applies "
                                   "to every later frame";
        const size_t said = run.messages.find(remark);
        EXPECT_EQ(said != std::string::npos, test.length == 0) << run.messages;
        EXPECT_EQ(run.messages.find(remark, said + 1), std::string::npos) << run.messages;
    }

    // A real run corrects what has lens data and lists the rest.
    const ToolRun run = lenscorrect({ path("in/p.####.exr"), "--first-frame", "1001",
                                        "--keep-going", "-o", path("out/p.####.exr") },
        writeLensData(records, 5));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.messages.find("frame 1006: The frame lies beyond the clip's end.\nClip Frame: 5\n"
                                "Clip Duration: 5 frames"),
        std::string::npos)
        << run.messages;
    EXPECT_NE(run.messages.find("3 frames failed: 1001-1002, 1006"), std::string::npos)
        << run.messages;
    EXPECT_EQ(filesIn(path("out")),
        (std::vector<std::string> { "p.1003.exr", "p.1004.exr", "p.1005.exr" }));
}

TEST_F(FrameMapping, ARecordLabelledAfterTheFramesOwnTimecodeIsRefused)
{
    // Numbers and timecodes that disagree: record 2 says 01:00:00:20.
    const std::string lensFile
        = writeLensData({ { 0, "01:00:00:00" }, { 1, "01:00:00:10" }, { 2, "01:00:00:20" } }, 100);
    writePlate({ { 1, 0, 0, 0 }, { 1, 0, 0, 5 } }, false, 25, 1);
    const ToolRun run = lenscorrect({ path("in/p.####.exr"), "--dry-run" }, lensFile);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.messages.find("1001  p.1001.exr  01:00:00:00  -> lens data frame 0"), std::string::npos)
        << run.messages;
    EXPECT_NE(run.messages.find("1002  p.1002.exr  01:00:00:05  -> no lens data: The lens data "
                                "record found lies after the frame's timecode."),
        std::string::npos)
        << run.messages;
}

/// The records around each label (two frames either way) and the first, numbered from
/// `first` in drop-frame count, so that a label counted any other way finds another record.
std::vector<std::pair<uint32_t, std::string>> recordsAround(
    const std::vector<Label>& counted, const std::vector<size_t>& counts, size_t first)
{
    std::set<size_t> wanted { first };
    for (const size_t count : counts)
    {
        for (size_t near = count - 2; near <= count + 2; ++near)
        {
            wanted.insert(near);
        }
    }
    std::vector<std::pair<uint32_t, std::string>> records;
    for (const size_t count : wanted)
    {
        records.emplace_back(uint32_t(count - first), counted[count].text());
    }
    return records;
}

TEST_F(FrameMapping, DropFramePlatesFindTheirRecordsByDropFrameCount)
{
    struct Rate
    {
        int perSecond;
        int rate;
        const char* tcFps;
        std::vector<Label> labels; ///< Across minute and ten-minute boundaries.
    };
    const Rate rates[] = {
        { 30, 30000, "29.97",
            { { 0, 0, 59, 29 }, { 0, 1, 0, 2 }, { 0, 1, 0, 3 }, { 0, 9, 59, 29 }, { 0, 10, 0, 0 },
                { 0, 10, 0, 1 }, { 0, 11, 0, 2 } } },
        // The time word's frame field holds at most 39.
        { 60, 60000, "59.94",
            { { 0, 0, 59, 39 }, { 0, 1, 0, 4 }, { 0, 1, 0, 5 }, { 0, 9, 59, 39 }, { 0, 10, 0, 0 },
                { 0, 10, 0, 1 }, { 0, 11, 0, 4 } } },
    };
    for (const Rate& rate : rates)
    {
        SCOPED_TRACE(rate.tcFps);
        const std::vector<Label> counted
            = dropFrameLabels(rate.perSecond, size_t(rate.perSecond) * 700);
        std::vector<size_t> counts;
        for (const Label& label : rate.labels)
        {
            size_t count = 0;
            while (counted[count].text() != label.text())
            {
                ++count;
            }
            counts.push_back(count);
        }
        // The clip starts 33 seconds in.
        const size_t first = size_t(rate.perSecond) * 33 + 10;
        const std::string lensFile
            = writeLensData(recordsAround(counted, counts, first), 100000, rate.tcFps, true);
        writePlate(rate.labels, true, rate.rate, 1001);
        const ToolRun run = lenscorrect({ path("in/p.####.exr"), "--dry-run" }, lensFile);
        EXPECT_EQ(run.status, 0) << run.messages;
        EXPECT_NE(run.messages.find("counted in drop-frame"), std::string::npos) << run.messages;
        for (size_t i = 0; i < rate.labels.size(); ++i)
        {
            const std::string label = rate.labels[i].text();
            const std::string line = std::to_string(1001 + i) + "  p." + std::to_string(1001 + i)
                + ".exr  " + label + "  -> lens data frame " + std::to_string(counts[i] - first)
                + " (" + label + ")\n";
            EXPECT_NE(run.messages.find(line), std::string::npos) << line << run.messages;
        }
    }

    // A real run applies those records and says which.
    const ToolRun run = lenscorrect(
        { path("in/p.####.exr"), "-o", path("out/p.####.exr") }, path("A001C001.tlcf"));
    ASSERT_EQ(run.status, 0) << run.messages;
    EXPECT_EQ(
        readImage(path("out/p.1007.exr")).spec.get_string_attribute("lenscorrect:LensDataTimecode"),
        "00:11:00:04");
}

TEST_F(FrameMapping, DropFrameAgainstNonDropIsRefusedEitherWay)
{
    struct Case
    {
        bool plateDrops;
        bool lensDrops;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { true, false,
            { "frame 1001: The frame's timecode is drop-frame, the lens data's is not.",
                "p.1001.exr", "A001C001.tlcf\" (non-drop)" } },
        { false, true,
            { "frame 1001: The frame's timecode is not drop-frame, the lens data's is.",
                "p.1001.exr", "A001C001.tlcf\" (drop-frame)" } },
    };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.plateDrops ? "drop-frame plate" : "non-drop plate");
        const std::string lensFile
            = writeLensData({ { 0, "00:00:59:00" } }, 0, "29.97", test.lensDrops);
        writePlate({ { 0, 1, 0, 2 } }, test.plateDrops, 30000, 1001);
        const ToolRun dry = lenscorrect({ path("in/p.####.exr"), "--dry-run" }, lensFile);
        EXPECT_EQ(dry.status, 1);
        EXPECT_NE(dry.messages.find(test.expected.front().substr(12)), std::string::npos)
            << dry.messages;
        const ToolRun run
            = lenscorrect({ path("in/p.####.exr"), "-o", path("out/p.####.exr") }, lensFile);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(filesIn(path("out")).empty());
        for (const std::string& fragment : test.expected)
        {
            EXPECT_NE(run.messages.find(fragment), std::string::npos) << fragment << "\n"
                                                                      << run.messages;
        }
    }
}

TEST_F(FrameMapping, AMoviesOrTheOptionsStartTimecodeCountsOnInDropFrame)
{
    const bool movies
        = OIIO::get_string_attribute("input_format_list").find("ffmpeg") != std::string::npos;
    std::vector<Image> frames;
    for (int frame = 0; frame < 4; ++frame)
    {
        Image image = testImage(64, 36, 3, frame);
        image.spec.set_format(OIIO::TypeUInt8);
        frames.push_back(image);
        writeImage(path("in/p." + std::to_string(1001 + frame) + ".exr"), frames.back());
    }
    struct Rate
    {
        int perSecond;
        uint32_t rate;
        const char* tcFps;
        const char* start;
    };
    for (const Rate& rate :
        { Rate { 30, 30000, "29.97", "00:00:59;28" }, Rate { 60, 60000, "59.94", "00:00:59;58" } })
    {
        SCOPED_TRACE(rate.tcFps);
        // Two frames before the minute, two after the labels it leaves out.
        const size_t start = size_t(rate.perSecond) * 60 - 2;
        const std::vector<Label> counted = dropFrameLabels(rate.perSecond, start + 10);
        const std::string lensFile = writeLensData(
            recordsAround(counted, { start, start + 1, start + 2, start + 3 }, start - 8), 0,
            rate.tcFps, true);
        std::string option = rate.start;
        option[8] = ':';
        const ToolRun sequence = lenscorrect(
            { path("in/p.####.exr"), "--start-timecode", option, "--dry-run" }, lensFile);
        EXPECT_EQ(sequence.status, 0) << sequence.messages;
        ToolRun movie;
        if (movies)
        {
            writeMovie(path("A001C001.avi"), frames, rate.start, rate.rate, 1001);
            movie = lenscorrect({ path("A001C001.avi"), "--dry-run" }, lensFile);
            EXPECT_EQ(movie.status, 0) << movie.messages;
        }
        for (size_t frame = 0; frame < 4; ++frame)
        {
            const std::string label = counted[start + frame].text();
            const std::string record
                = "  -> lens data frame " + std::to_string(8 + frame) + " (" + label + ")\n";
            const std::string name = "p." + std::to_string(1001 + frame) + ".exr";
            const std::string line
                = std::to_string(1001 + frame) + "  " + name + "  --:--:--:--" + record;
            EXPECT_NE(sequence.messages.find(line), std::string::npos) << line << sequence.messages;
            const std::string movieLine
                = std::to_string(frame) + "  A001C001.avi  " + label + record;
            EXPECT_TRUE(!movies || movie.messages.find(movieLine) != std::string::npos)
                << movieLine << movie.messages;
        }
    }
}

} // namespace
