// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <atomic>
#include <csignal>
#include <iostream>

#include <unistd.h>

#include "Image/HeapSettings.h"
#include "Run/ClipRun.h"
#include "lenscorrect/CommandLine.h"

namespace
{

std::atomic<bool> stopRequested { false };

extern "C" void requestStop(int)
{
    stopRequested = true;
    // A second interrupt ends the process at once.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

} // namespace

int main(int argc, char** argv)
{
    LensCorrect::backLargeBlocksWithHugePages(argv);
    try
    {
        const LensCorrect::CommandLine commandLine
            = LensCorrect::parseCommandLine(argc, argv, std::cout, std::cerr);
        if (!commandLine.options)
        {
            return commandLine.exitStatus;
        }
        std::signal(SIGINT, requestStop);
        std::signal(SIGTERM, requestStop);
        return LensCorrect::runClip(
            *commandLine.options, std::cerr, isatty(STDERR_FILENO) != 0, stopRequested);
    }
    catch (const std::exception& exception)
    {
        std::cerr << "lenscorrect: " << exception.what() << "\n";
        return LensCorrect::failed;
    }
}
