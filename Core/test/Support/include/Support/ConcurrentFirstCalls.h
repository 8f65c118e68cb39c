// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace TestSupport
{

/// Calls `call` from `threadCount` threads released together, so that the calls overlap, and
/// returns what each returned.
template <typename Call> auto resultsOfConcurrentCalls(int threadCount, Call call)
{
    std::vector<decltype(call())> results(threadCount);
    std::atomic<int> notStarted { threadCount };
    std::vector<std::thread> threads;
    for (int index = 0; index < threadCount; ++index)
    {
        threads.emplace_back(
            [&, index]
            {
                --notStarted;
                while (notStarted.load() > 0)
                {
                    std::this_thread::yield();
                }
                results[index] = call();
            });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    return results;
}

} // namespace TestSupport
