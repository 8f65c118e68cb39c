// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The programs as a user runs them: the lenscorrect binary's command line, and the example's
// round trip, which must come back to the clean chart.
#include <regex>

#include <gtest/gtest.h>

#include "ToolTestSupport.h"

using namespace ToolTest;

TEST(LensCorrectProgram, HelpReadsLikeAManualAndBadCommandLinesAreRefused)
{
    const ToolRun help = runProgram(LC_LENSCORRECT_PATH, { "--help" });
    EXPECT_EQ(help.status, 0);
    for (const char* section : { "EXAMPLES", "EXIT STATUS", "--distortion", "--skip-existing" })
    {
        EXPECT_NE(help.messages.find(section), std::string::npos) << section;
    }
    for (const std::vector<std::string>& arguments :
        std::vector<std::vector<std::string>> { {}, { "plate.exr", "--shading", "sideways" },
            { "plate.exr", "--resolution", "19x" }, { "plate.exr", "--no-such-option" } })
    {
        const ToolRun result = runProgram(LC_LENSCORRECT_PATH, arguments);
        EXPECT_EQ(result.status, 2) << result.messages;
        EXPECT_NE(result.messages.find("--help"), std::string::npos) << result.messages;
    }
}

TEST(LensCorrectProgram, ExampleRoundTripReachesFortyDecibelsInsideTheFrame)
{
    const TestSupport::TemporaryDirectory directory;
    const ToolRun result = runProgram(LC_EXAMPLE_PATH,
        { "--directory", directory.path() + "/example", "--frames", "3", "--width", "960" });
    ASSERT_EQ(result.status, 0) << result.messages;
    const std::regex line(R"(frame (\d+): PSNR +([0-9.]+) dB)");
    size_t frames = 0;
    for (auto match = std::sregex_iterator(result.messages.begin(), result.messages.end(), line);
         match != std::sregex_iterator(); ++match, ++frames)
    {
        EXPECT_GE(std::stod((*match)[2]), 40.0) << (*match)[0];
    }
    EXPECT_EQ(frames, 3u) << result.messages;
}
