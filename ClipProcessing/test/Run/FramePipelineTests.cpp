// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The run's three threads: a failure on the calling thread while the reader and the writer are
// busy ends in the tool's error, never in std::terminate.
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <numeric>
#include <thread>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Run/FramePipeline.h"

using namespace LensCorrect;

namespace
{

/// Runs 100 jobs; the calling thread's stage throws at the third, while the reader waits to hand
/// on more and the writer waits for the next; then reports as the tool does and exits at once
/// (static destructors of libraries whose threads a forked child lacks would wait forever).
[[noreturn]] void failOnTheCallingThread()
{
    std::vector<int> jobs(100);
    std::iota(jobs.begin(), jobs.end(), 0);
    std::atomic<int> written { 0 };
    FramePipeline<int, int, int>::Stages stages;
    stages.keepReading = [] { return true; };
    stages.read = [](const int& job) { return job; };
    stages.keepRendering = [] { return true; };
    stages.render = [&](int& item)
    {
        // Two frames through first: both workers are running.
        while (item >= 2 && written < 2)
        {
            std::this_thread::yield();
        }
        if (item >= 2)
        {
            throw Failure("The frame could not be corrected.", "Reason: out of memory");
        }
        return item;
    };
    stages.isLast = [](const int&) { return false; };
    stages.write = [&](int&) { ++written; };
    try
    {
        // Unwound through here, as out of a run.
        FramePipeline<int, int, int> pipeline(2);
        pipeline.run(jobs, stages);
    }
    catch (const Failure& failure)
    {
        std::cerr << "lenscorrect: " << failure.detailed() << std::flush;
        std::_Exit(1);
    }
    std::_Exit(0);
}

TEST(FramePipeline, AFailureOnTheCallingThreadJoinsTheWorkersAndReachesTheCaller)
{
    EXPECT_EXIT(failOnTheCallingThread(), ::testing::ExitedWithCode(1),
        "lenscorrect: The frame could not be corrected.\nReason: out of memory");
}

} // namespace
