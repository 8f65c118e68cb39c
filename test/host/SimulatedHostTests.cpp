// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <algorithm>
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "AePlugin/TestEffect/TestEffectHost.h"
#include "Support/TemporaryDirectory.h"

using TestEffect::TestEffectHost;

namespace
{

std::string loadError(const std::string& path)
{
    try
    {
        Host::PluginModule module(path);
    }
    catch (const Host::HostError& error)
    {
        return error.what();
    }
    return "";
}

} // namespace

TEST(PluginModule, LoadFailuresNameThePathAndTheReason)
{
    const TestSupport::TemporaryDirectory directory;
    EXPECT_NE(loadError(directory.path() + "/missing.so")
                  .find("Cannot load the plug-in \"" + directory.path() + "/missing.so" + "\""),
        std::string::npos);
    EXPECT_EQ(loadError(LC_NO_ENTRY_POINT_MODULE),
        "The plug-in \"" LC_NO_ENTRY_POINT_MODULE "\" does not export EntryPointFunc.");
}

TEST(SimulatedHost, SequenceDataSurvivesSavingAndReopeningAsItsBytes)
{
    TestEffectHost host;
    ASSERT_EQ(host.applyEffect(), PF_Err_NONE);
    const std::vector<unsigned char> saved = host.saveProject();
    EXPECT_EQ(saved, (std::vector<unsigned char> { 's', 'e', 'q', 0 }));

    TestEffectHost reopened;
    reopened.send(PF_Cmd_GLOBAL_SETUP);
    reopened.send(PF_Cmd_PARAMS_SETUP);
    EXPECT_EQ(reopened.reopenProject(saved), PF_Err_NONE);
    EXPECT_EQ(reopened.lastCommand().returnMessage, "sequenceResetup");
    EXPECT_EQ(reopened.sequenceDataBytes(), saved);

    // A damaged project: any bytes, any length.
    EXPECT_EQ(reopened.reopenProject({ 0xFF, 0x00, 0x7F }), PF_Err_NONE);
    EXPECT_EQ(reopened.sequenceDataBytes(), (std::vector<unsigned char> { 0xFF, 0x00, 0x7F }));
    reopened.send(PF_Cmd_SEQUENCE_SETDOWN);
    EXPECT_FALSE(reopened.hasSequenceData());
    EXPECT_EQ(reopened.memory().liveHandles(), 0u);
}

TEST(SimulatedHost, SequenceSetupWithoutMemoryIsOutOfMemory)
{
    TestEffectHost host;
    host.send(PF_Cmd_PARAMS_SETUP);
    host.faults().failHandleAllocations(true);
    EXPECT_EQ(host.send(PF_Cmd_SEQUENCE_SETUP), PF_Err_OUT_OF_MEMORY);
    EXPECT_FALSE(host.hasSequenceData());
}

TEST(SimulatedHost, UnloadAndReloadGiveAFreshPluginObject)
{
    TestEffectHost host;
    host.applyEffect();
    host.setBehaviour(TestEffect::throwPair);
    host.send(PF_Cmd_FRAME_SETUP); // leaves an error pending in this plug-in object
    host.unload();
    EXPECT_FALSE(host.loaded());
    host.load(LC_FRAMEWORK_TEST_EFFECT);
    host.applyEffect();
    host.send(PF_Cmd_RENDER);
    EXPECT_EQ(host.lastCommand().returnMessage, "render");
    std::remove(host.logPath().c_str());
}

TEST(PixelWorld, GuardBytesAreCheckedForEveryStride)
{
    // Hostile strides included: 0 stacks every row on the first one, 4 overlaps the rows, 18 is
    // not on whole pixels. A world of 4 x 3 8-bit pixels has rows of 16 bytes.
    constexpr std::size_t rowLength = 16;
    constexpr std::size_t height = 3;
    for (const A_long rowbytes : { 0, 4, 16, 18, 24 })
    {
        SCOPED_TRACE(rowbytes);
        Host::PixelWorld world = Host::PixelWorld::withRowbytes(4, 3, false, rowbytes);
        EXPECT_TRUE(world.paddingIntact());
        auto* bytes = reinterpret_cast<unsigned char*>(world.world().data);
        const std::size_t size = std::max<std::size_t>(1, std::size_t(rowbytes) * height);
        for (std::size_t offset = 0; offset < size; ++offset)
        {
            bool inPixels = false;
            for (std::size_t row = 0; row < height; ++row)
            {
                const std::size_t start = row * std::size_t(rowbytes);
                inPixels = inPixels || (offset >= start && offset < start + rowLength);
            }
            bytes[offset] ^= 0xFF;
            EXPECT_EQ(world.paddingIntact(), inPixels) << "byte " << offset;
            bytes[offset] ^= 0xFF;
        }
    }
}
