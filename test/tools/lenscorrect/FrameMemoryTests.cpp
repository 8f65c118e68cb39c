// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// A clip whose frames cannot fit in the memory the process may have is refused before the first
// frame, with the figures, rather than killed part way through. The real program under a data
// size limit, on a plate whose picture (its display window) is a 16K frame.
#include <filesystem>

#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;

TEST(FrameMemory, APlateTooLargeForTheMemoryIsRefusedBeforeAnyWork)
{
    TestSupport::TemporaryDirectory directory;
    const std::string lens = directory.writeFile(
        "A001C001.tlcf", correctionFile({ { 90.0f, -20.0f }, { 90.0f, -20.0f } }).text());
    struct Case
    {
        const char* name;
        int pictureWidth;
        int pictureHeight;
        bool refused;
    };
    // Each 16K float RGBA buffer takes 2 GiB; a 2 GiB data limit holds the 1080p ones.
    const Case cases[] = { { "16k", 15360, 8640, true }, { "1080p", 1920, 1080, false } };
    for (const Case& test : cases)
    {
        SCOPED_TRACE(test.name);
        const std::string folder = directory.makeDirectory(test.name);
        for (int frame = 1; frame <= 2; ++frame)
        {
            // A small data window in a large display window: a cheap file of a large picture.
            Image image = testImage(64, 32, 3, frame);
            image.spec.full_width = test.pictureWidth;
            image.spec.full_height = test.pictureHeight;
            image.spec.x = test.pictureWidth / 2;
            image.spec.y = test.pictureHeight / 2;
            image.spec.set_format(OIIO::TypeHalf);
            writeImage(folder + "/plate." + std::to_string(1000 + frame) + ".exr", image);
        }
        std::string command = "ulimit -d 2097152 && exec '" LC_LENSCORRECT_PATH "' '" + folder
            + "/plate.####.exr' --shading remove -o '" + folder + "/out.####.exr'";
        for (const std::string& argument : lensData(lens))
        {
            command += " '" + argument + "'";
        }
        const ToolRun run = runProgram("/bin/sh", { "-c", command });
        if (test.refused)
        {
            EXPECT_EQ(run.status, 1) << run.messages;
            EXPECT_NE(run.messages.find("The frames are too large for the memory available."),
                std::string::npos)
                << run.messages;
            EXPECT_NE(run.messages.find("Frame: 15360x8640 px"), std::string::npos);
            EXPECT_NE(run.messages.find("the data size limit (ulimit -d)"), std::string::npos);
            EXPECT_EQ(run.messages.find("frame 1001:"), std::string::npos) << run.messages;
            EXPECT_FALSE(std::filesystem::exists(folder + "/out.1001.exr"));
        }
        else
        {
            EXPECT_EQ(run.status, 0) << run.messages;
            EXPECT_TRUE(std::filesystem::exists(folder + "/out.1002.exr"));
        }
    }
}
