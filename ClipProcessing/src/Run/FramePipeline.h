// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "Run/BoundedQueue.h"

namespace LensCorrect
{

/// Three stages over a list of jobs: a reader thread, the calling thread and a writer thread,
/// with a short queue between each, so that decoding, correcting and encoding overlap.
///
/// The worker threads are joined on every way out. When the calling thread's stage throws, both
/// queues are closed first, so that neither worker waits for an item that will never come, and
/// the exception reaches the caller once both have ended (a joinable thread destroyed by
/// unwinding would end the process).
template <typename Job, typename Decoded, typename Rendered> class FramePipeline
{
public:
    struct Stages
    {
        /// On the reader thread; false ends reading (an interrupt, a failure).
        std::function<bool()> keepReading;
        /// On the reader thread; must not throw: failures travel inside the item.
        std::function<Decoded(const Job&)> read;
        /// On the calling thread, before each frame; false ends the run after the frames in
        /// flight.
        std::function<bool()> keepRendering;
        /// On the calling thread.
        std::function<Rendered(Decoded&)> render;
        /// Whether a rendered item is the last one to pass on (a failure that ends the run).
        std::function<bool(const Rendered&)> isLast;
        /// On the writer thread; must not throw.
        std::function<void(Rendered&)> write;
    };

    /// `framesInFlight`: how many frames may be between the start of their reading and the end
    /// of their writing at once. Three keep every thread busy (one each); each one more lets a
    /// stage run ahead by a frame, at the cost of its buffers.
    explicit FramePipeline(size_t framesInFlight)
        : slots(framesInFlight)
        , decoded(framesInFlight)
        , rendered(framesInFlight)
    {
    }
    ~FramePipeline() { stopAndJoin(); }
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    void run(const std::vector<Job>& jobs, const Stages& stages)
    {
        workers.emplace_back(
            [&]
            {
                for (const Job& job : jobs)
                {
                    // A slot is taken before the frame's memory is.
                    if (!slots.push(true) || !stages.keepReading()
                        || !decoded.push(stages.read(job)))
                    {
                        break;
                    }
                }
                decoded.close();
            });
        workers.emplace_back(
            [&]
            {
                for (;;)
                {
                    {
                        std::optional<Rendered> item = rendered.pop();
                        if (!item)
                        {
                            break;
                        }
                        stages.write(*item);
                    }
                    // The frame's memory is free before the reader may start another.
                    slots.pop();
                }
            });
        while (std::optional<Decoded> item = decoded.pop())
        {
            if (!stages.keepRendering())
            {
                break;
            }
            Rendered result = stages.render(*item);
            const bool last = stages.isLast(result);
            if (!rendered.push(std::move(result)) || last)
            {
                break;
            }
        }
        stopAndJoin();
    }

private:
    void stopAndJoin()
    {
        slots.close();
        decoded.close();
        rendered.close();
        for (std::thread& worker : workers)
        {
            if (worker.joinable())
            {
                worker.join();
            }
        }
    }

    /// One entry a frame in flight: the reader waits for room before it starts a frame.
    BoundedQueue<bool> slots;
    BoundedQueue<Decoded> decoded;
    BoundedQueue<Rendered> rendered;
    std::vector<std::thread> workers;
};

} // namespace LensCorrect
