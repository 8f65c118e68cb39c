// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <climits>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "Platform/FakeZenity.h"
#include "PluginTestSupport.h"
#include "Support/TemporaryDirectory.h"

// The allocation test asks for more memory than exists; the sanitizers' allocators must then
// return null as the system's does instead of stopping the process.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
extern "C" const char* __tsan_default_options() { return "allocator_may_return_null=1"; }

namespace
{

using PluginTest::Control;
using PluginTest::hostWithEffect;
using PluginTest::shadingPlugin;

const std::string missingBlock
    = "The effect's stored settings for this layer are missing or damaged.";

uint32_t storedUnsigned(const std::vector<unsigned char>& bytes, size_t offset)
{
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8
        | uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

TEST(SequenceData, NewInstanceHasTheStoredLayout)
{
    auto host = hostWithEffect(shadingPlugin);
    std::vector<unsigned char> expected(4108, 0);
    expected[0] = 1;
    expected[2] = 1;
    expected[4099] = 1;
    EXPECT_EQ(host->sequenceDataBytes(), expected);

    PluginTest::chooseCorrectionFile(*host, "/media/A001C003.tlcf");
    const std::vector<unsigned char> bytes = host->saveProject();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[3])), "/media/A001C003.tlcf");
    EXPECT_EQ(bytes[4099], 1) << "a file choice leaves the update pending";
    host->send(PF_Cmd_SEQUENCE_SETDOWN);
    EXPECT_EQ(host->memory().liveHandles(), 0u);
}

TEST(SequenceData, PathWithoutTerminatorIsNoPath)
{
    auto host = hostWithEffect(shadingPlugin);
    std::vector<unsigned char> damaged(4108, 'x');
    host->reopenProject(damaged);

    TestSupport::TemporaryDirectory directory;
    const std::string record = directory.path() + "/title";
    {
        TestSupport::FakeZenity zenity("printf '%s' \"$2\" > '" + record + "'; exit 1");
        host->userChangedParameter(Control::filePathIndex);
    }
    std::ifstream stream(record);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(stream), {}), "--title=");

    PluginTest::chooseCorrectionFile(*host, "/a.tlcf");
    const std::vector<unsigned char> bytes = host->sequenceDataBytes();
    ASSERT_EQ(bytes.size(), 4108u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[3])), "/a.tlcf");
    // Nothing past the path's zero or outside the block was written.
    EXPECT_EQ(bytes[3 + 8], 'x');
    EXPECT_EQ(bytes[4107], 'x');
}

TEST(SequenceData, CommandsThatNeedTheBlockRefuseWithoutIt)
{
    struct Case
    {
        const char* name;
        std::vector<unsigned char> block; ///< empty: none at all
    };
    const Case cases[] = { { "absent", {} }, { "short", std::vector<unsigned char>(4107, 0) } };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        auto host = hostWithEffect(shadingPlugin);
        if (c.block.empty())
        {
            host->clearSequenceData();
        }
        else
        {
            host->setSequenceDataBytes(c.block);
        }
        for (PF_ParamIndex index :
            { Control::correctionModeIndex, Control::widthWithoutOverscanIndex,
                Control::filePathIndex, Control::filePathStatusIndex,
                Control::updateRecordingFormatIndex, Control::manualSelectionIndex })
        {
            EXPECT_EQ(host->userChangedParameter(index), PF_Err_NONE);
        }
        EXPECT_EQ(host->shownMessages(), std::vector<std::string> { missingBlock });
        EXPECT_EQ(host->send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
        // The render after a failed command paints the error frame; so does one without block.
        for (int render = 0; render < 2; ++render)
        {
            EXPECT_EQ(host->send(PF_Cmd_RENDER), PF_Err_NONE);
            EXPECT_TRUE(PluginTest::isRed(host->frames().outputWorld()));
        }
        EXPECT_EQ(host->lastCommand().returnMessage, missingBlock);
        EXPECT_EQ(host->sequenceDataBytes(), c.block);
    }
}

TEST(SequenceData, FrameSetupStoresTheFullResolution)
{
    struct Case
    {
        PF_RationalScale x;
        PF_RationalScale y;
        uint32_t width;
        uint32_t height;
    };
    const Case cases[] = {
        { { 1, 1 }, { 1, 1 }, 96, 54 },
        { { 1, 2 }, { 1, 2 }, 192, 108 },
        { { 0, 2 }, { 1, 0 }, 96, 54 }, // zero factors count as 1
        { { 1, 1000 }, { 1, 1000 }, 96000, 54000 },
        { { 1, 3 }, { 1, 3 }, 288, 162 }, // not 287 as in single precision
        { { 1, 4000000000u }, { -1, 1 }, UINT32_MAX, 54 },
    };
    for (const Case& c : cases)
    {
        auto host = hostWithEffect(shadingPlugin, PF_APPL_ID_AFTER_EFFECTS, false, 96, 54);
        host->frames().setDownsampling(c.x, c.y);
        // No correction file: the library fails after the size is stored.
        EXPECT_EQ(host->send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
        const std::vector<unsigned char> bytes = host->sequenceDataBytes();
        EXPECT_EQ(storedUnsigned(bytes, 4100), c.width) << c.x.den;
        EXPECT_EQ(storedUnsigned(bytes, 4104), c.height) << c.x.den;
        EXPECT_EQ(host->frames().requestedOutputWidth(), 96);
    }
}

TEST(SequenceData, HostileCallsEndWithAHostCodeNotACrash)
{
    auto host = hostWithEffect(shadingPlugin);
    EXPECT_EQ(host->send(PF_Cmd_USER_CHANGED_PARAM, nullptr), PF_Err_BAD_CALLBACK_PARAM);

    host->faults().failHandleAllocations(true);
    EXPECT_EQ(host->send(PF_Cmd_SEQUENCE_SETUP), PF_Err_OUT_OF_MEMORY);

    for (PF_Cmd command : { 2, 3, 9, 12, 15, 99, -1 })
    {
        EXPECT_EQ(host->send(command), PF_Err_NONE) << command;
    }
}

TEST(SequenceData, UnallocatableFrameEndsTheRenderOutOfMemory)
{
    const std::pair<A_long, A_long> sizes[] = {
        { INT_MAX, 1 << 26 }, // 2^63 bytes: no allocator has them
        { INT_MAX, INT_MAX }, // more bytes than a size_t holds
    };
    for (const auto& [width, height] : sizes)
    {
        auto host = hostWithEffect(shadingPlugin);
        // Rows 0 bytes apart, so that the host needs no memory for the world.
        host->frames().overrideOutputSize(width, height);
        host->frames().overrideOutputRowbytes(0);
        EXPECT_EQ(host->send(PF_Cmd_RENDER), PF_Err_OUT_OF_MEMORY) << height;
    }
}

} // namespace
