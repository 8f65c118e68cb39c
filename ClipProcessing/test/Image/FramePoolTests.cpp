// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The buffers that the run's reader, render and writer threads hand on from frame to frame: a
// buffer is never held by two frames at once, comes back for the next frame, and the pool keeps
// no more than it was sized for. Run under ThreadSanitizer too.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Image/FramePool.h"

using namespace LensCorrect;

namespace
{

/// Fills a buffer with one taker's mark and checks it is still whole after the others ran.
bool markHolds(RgbaImage& image, float mark)
{
    for (float& value : image.pixels)
    {
        value = mark;
    }
    std::this_thread::yield();
    for (const float value : image.pixels)
    {
        if (value != mark)
        {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(FramePool, ConcurrentTakersNeverShareABuffer)
{
    // Sizes of one clip's frames and of the buffers a stage takes beside them, the largest
    // mapped on its own.
    const Size sizes[] = { { 64, 36 }, { 1024, 576 }, { 2048, 1152 }, { 66, 40 } };
    constexpr int threads = 4;
    constexpr int rounds = 200;
    FramePool pool(3);
    std::atomic<int> broken { 0 };
    std::vector<std::thread> takers;
    for (int taker = 0; taker < threads; ++taker)
    {
        takers.emplace_back(
            [&, taker]
            {
                for (int round = 0; round < rounds; ++round)
                {
                    const Size size = sizes[(taker + round) % 4];
                    RgbaImage image = pool.take(size);
                    if (image.size != size || image.pixels.size() != size.pixels() * 4
                        || !markHolds(image, float(taker * rounds + round)))
                    {
                        ++broken;
                    }
                    pool.give(std::move(image));
                }
            });
    }
    for (std::thread& taker : takers)
    {
        taker.join();
    }
    EXPECT_EQ(broken, 0);
    EXPECT_LE(pool.freeBuffers(), 3u);
}

TEST(FramePool, AFrameReusesTheBufferOfTheOneBefore)
{
    FramePool pool(2);
    RgbaImage first = pool.take({ 1920, 1080 });
    const float* memory = first.pixels.data();
    pool.give(std::move(first));
    // A smaller frame takes the same memory; a larger one cannot.
    RgbaImage smaller = pool.take({ 1280, 720 });
    EXPECT_EQ(smaller.pixels.data(), memory);
    EXPECT_EQ(smaller.pixels.size(), size_t(1280) * 720 * 4);
    pool.give(std::move(smaller));
    RgbaImage larger = pool.take({ 3840, 2160 });
    EXPECT_NE(larger.pixels.data(), memory);
    EXPECT_EQ(pool.freeBuffers(), 1u);
    // Beyond what it keeps, the smallest is freed.
    pool.give(std::move(larger));
    pool.give(pool.take({ 16, 16 }));
    pool.give(RgbaImage({ 8, 8 }));
    EXPECT_EQ(pool.freeBuffers(), 2u);
    EXPECT_EQ(pool.take({ 3840, 2160 }).pixels.capacity(), size_t(3840) * 2160 * 4);
}
