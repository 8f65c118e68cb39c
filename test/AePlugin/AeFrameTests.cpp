// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <limits>
#include <random>
#include <thread>

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AePlugin/AeFrameDetail.h"
#include "AePlugin/TestEffect/TestEffectHost.h"
#include "Support/FileContents.h"

using TestEffect::TestEffectHost;
using Pixel = std::array<A_u_short, 4>;

namespace
{

void fillRandomly(Host::PixelWorld& world, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> channel(0, world.channelMaximum());
    for (A_long y = 0; y < world.height(); ++y)
    {
        for (A_long x = 0; x < world.width(); ++x)
        {
            world.setPixel(x, y,
                { A_u_short(channel(random)), A_u_short(channel(random)),
                    A_u_short(channel(random)), A_u_short(channel(random)) });
        }
    }
}

/// A channel through the float buffer and back, computed as the transfer defines it.
A_u_short roundTrip(A_u_short value, float scale)
{
    const float read = static_cast<float>(value) / scale;
    return static_cast<A_u_short>(std::min(read, 1.0f) * scale);
}

/// Checks the output against the input centred in it: the overlap of both (also when the
/// output is smaller), zero elsewhere, nothing written outside the rows.
void expectCentredCopy(const Host::PixelWorld& input, const Host::PixelWorld& output)
{
    const A_long dx = (output.width() - input.width()) / 2;
    const A_long dy = (output.height() - input.height()) / 2;
    const float scale = input.channelMaximum();
    for (A_long y = 0; y < output.height(); ++y)
    {
        for (A_long x = 0; x < output.width(); ++x)
        {
            const A_long sx = x - dx;
            const A_long sy = y - dy;
            Pixel expected { 0, 0, 0, 0 };
            if (sx >= 0 && sy >= 0 && sx < input.width() && sy < input.height())
            {
                const Pixel source = input.pixel(sx, sy);
                for (int c = 0; c < 4; ++c)
                {
                    expected[c] = roundTrip(source[c], scale);
                }
            }
            ASSERT_EQ(output.pixel(x, y), expected) << x << ", " << y;
        }
    }
    EXPECT_TRUE(output.paddingIntact());
}

struct FrameCase
{
    bool deep;
    A_long width;
    A_long height;
    A_long inputPadding;
    A_long outputPadding;
    A_long growWidth; ///< asked for at frame setup
    A_long growHeight;
    bool hostIgnoresGrowth; ///< the output keeps the input size, less `shrink`
    A_long shrinkWidth;
    A_long shrinkHeight;
};

class AeFrameRoundTrip : public ::testing::TestWithParam<FrameCase>
{
};

} // namespace

TEST_P(AeFrameRoundTrip, ConcurrentWorkersCopyTheInputCentredAndBack)
{
    const FrameCase& c = GetParam();
    TestEffectHost host;
    host.applyEffect();
    host.frames().setInputLayer(Host::PixelWorld(c.width, c.height, c.deep, c.inputPadding));
    fillRandomly(host.frames().inputLayer(), 7);
    host.frames().setOutputRowPadding(c.outputPadding);
    host.parameters().setValue(TestEffect::growWidthParameter, c.growWidth);
    host.parameters().setValue(TestEffect::growHeightParameter, c.growHeight);
    if (c.hostIgnoresGrowth)
    {
        host.frames().overrideOutputSize(c.width - c.shrinkWidth, c.height - c.shrinkHeight);
    }
    ASSERT_EQ(host.renderFrame(), PF_Err_NONE);
    EXPECT_EQ(host.lastCommand().returnMessage, "");
    EXPECT_TRUE(host.shownMessages().empty());
    expectCentredCopy(host.frames().inputLayer(), host.frames().outputWorld());
    EXPECT_TRUE(host.frames().inputLayer().paddingIntact());
}

INSTANTIATE_TEST_SUITE_P(Worlds, AeFrameRoundTrip,
    ::testing::Values(FrameCase { false, 37, 23, 0, 0, 0, 0, false, 0, 0 },
        FrameCase { true, 37, 23, 0, 0, 0, 0, false, 0, 0 },
        FrameCase { false, 33, 29, 4, 12, 80, 120, false, 0, 0 },
        FrameCase { true, 33, 29, 8, 24, 80, 120, false, 0, 0 },
        FrameCase { true, 31, 17, 0, 0, 3, 1, false, 0, 0 },
        FrameCase { false, 1, 1, 0, 0, 0, 0, false, 0, 0 },
        FrameCase { true, 1, 1, 16, 8, 0, 0, false, 0, 0 },
        FrameCase { false, 40, 30, 0, 0, 0, 0, true, 7, 0 },
        FrameCase { true, 40, 30, 8, 0, 0, 0, true, 0, 9 },
        FrameCase { false, 40, 30, 0, 4, 0, 0, true, 11, 13 },
        FrameCase { false, 40, 30, 0, 0, 0, 0, true, 39, 29 }));

TEST(AeFrame, ChannelsAreClampedScaledAndTruncated)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const struct
    {
        bool deep;
        float value;
        A_u_short expected;
    } cases[] = {
        { false, 1.0f, 255 },
        { false, 1.5f, 255 },
        { false, 0.5f, 127 },
        { false, 0.0f, 0 },
        { false, -0.5f, 0 },
        { false, nan, 0 },
        { false, infinity, 255 },
        { false, -infinity, 0 },
        { true, 1.0f, 32768 },
        { true, 0.25f, 8192 },
        { true, 2.0f, 32768 },
        { true, -1.0f, 0 },
        { true, nan, 0 },
        { true, infinity, 32768 },
        { true, 0.99999f, 32767 },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.value) + (c.deep ? " 16-bit" : " 8-bit"));
        TestEffectHost host;
        host.applyEffect();
        // Five columns: whole groups of pixels and a rest.
        host.frames().setInputLayer(Host::PixelWorld(5, 2, c.deep));
        host.setBehaviour(TestEffect::writeValue, c.value);
        ASSERT_EQ(host.renderFrame(), PF_Err_NONE);
        const A_u_short e = c.expected;
        for (A_long x = 0; x < 5; ++x)
        {
            EXPECT_EQ(host.frames().outputWorld().pixel(x, 1), (Pixel { e, e, e, e })) << x;
        }
    }
}

TEST(AeFrame, ErrorFillIsOpaqueRedInBothDepths)
{
    for (const bool deep : { false, true })
    {
        TestEffectHost host;
        host.applyEffect();
        host.frames().setInputLayer(Host::PixelWorld(5, 4, deep, 8));
        host.setBehaviour(TestEffect::throwPair);
        host.send(PF_Cmd_FRAME_SETUP);
        host.setBehaviour(TestEffect::normal);
        host.send(PF_Cmd_RENDER);
        const A_u_short maximum = deep ? 32768 : 255;
        for (A_long y = 0; y < 4; ++y)
        {
            for (A_long x = 0; x < 5; ++x)
            {
                EXPECT_EQ(
                    host.frames().outputWorld().pixel(x, y), (Pixel { maximum, maximum, 0, 0 }));
            }
        }
        EXPECT_TRUE(host.frames().outputWorld().paddingIntact());
    }
}

TEST(AeFrame, ConcurrentTransferFailsWholeWhenTheHostCannotSupplyARow)
{
    // From the first, a middle and the last request on: the other workers have started and
    // must be joined before the failure is reported.
    for (const std::size_t failFrom : { 0u, 40u, 99u })
    {
        SCOPED_TRACE(failFrom);
        TestEffectHost host;
        host.applyEffect();
        host.frames().setInputLayer(Host::PixelWorld(8, 100, false));
        host.frames().inputLayer().failPixelDataFrom(failFrom);
        EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
        EXPECT_EQ(host.shownMessages(),
            std::vector<std::string> { "The frame's pixels could not be transferred." });
    }
}

TEST(AeFrame, HostileWorldsAreRefusedWithAMessage)
{
    // Rows shorter than the width: writing whole rows would run past the host's block.
    TestEffectHost host;
    host.applyEffect();
    host.frames().setInputLayer(Host::PixelWorld(16, 8, false));
    host.frames().overrideOutputRowbytes(16 * 4 - 1);
    EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_EQ(host.shownMessages(),
        std::vector<std::string> { "The frame's pixels could not be transferred." });

    TestEffectHost withoutCallbacks;
    withoutCallbacks.applyEffect();
    withoutCallbacks.faults().removeUtilityCallbacks();
    EXPECT_EQ(withoutCallbacks.send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_EQ(withoutCallbacks.shownMessages(),
        std::vector<std::string> { "The frame's pixels could not be transferred." });
}

TEST(AeFrame, WorkerThatCannotStartFailsTheTransferAfterJoiningTheOthers)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "address space limits do not mix with sanitizer shadow memory";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
    GTEST_SKIP() << "address space limits do not mix with sanitizer shadow memory";
#endif
#endif
    if (AeFrameDetail::workerCount(std::thread::hardware_concurrency()) < 2)
    {
        GTEST_SKIP() << "needs two workers";
    }
    // In a child process: thread stacks of 1 GiB within an address space limit that leaves
    // room for one of them, so the second worker cannot start.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        TestEffectHost host;
        host.applyEffect();
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, std::size_t { 1 } << 30);
        pthread_setattr_default_np(&attributes);
        const std::size_t pages = std::stoul(HostTest::readFile("/proc/self/statm"));
        const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + (std::size_t { 3 } << 29);
        const rlimit addressSpace { limit, limit };
        setrlimit(RLIMIT_AS, &addressSpace);
        const PF_Err result = host.send(PF_Cmd_RENDER);
        const bool reported = result == PF_Err_NONE && host.shownMessages().size() == 1
            && host.shownMessages()[0] == "The frame's pixels could not be transferred.";
        _exit(reported ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended abnormally";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(AeFrame, RowsAreSplitEvenlyWithTheRemainderOnTheLastWorker)
{
    const struct
    {
        long rows;
        unsigned workers;
        std::vector<long> counts;
    } cases[] = {
        { 1081, 4, { 270, 270, 270, 271 } },
        { 3, 4, { 0, 0, 0, 3 } },
        { 0, 2, { 0, 0 } },
        { 1080, 1, { 1080 } },
        { 2160, 16, std::vector<long>(16, 135) },
    };
    for (const auto& c : cases)
    {
        const auto ranges = AeFrameDetail::splitRows(c.rows, c.workers);
        ASSERT_EQ(ranges.size(), c.counts.size());
        long next = 0;
        for (std::size_t i = 0; i < ranges.size(); ++i)
        {
            EXPECT_EQ(ranges[i].first, next) << c.rows << " rows, worker " << i;
            EXPECT_EQ(ranges[i].count, c.counts[i]) << c.rows << " rows, worker " << i;
            next += ranges[i].count;
        }
    }
    EXPECT_EQ(AeFrameDetail::workerCount(0), 1u);
    EXPECT_EQ(AeFrameDetail::workerCount(8), 8u);
}
