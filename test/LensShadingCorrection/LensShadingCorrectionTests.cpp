// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include "PluginTestSupport.h"

namespace
{

using PluginTest::FileSource;
using PluginTest::PixelCase;

TEST(LensShadingCorrection, TellsTheHostWhatItIs)
{
    Host::SimulatedHost host;
    host.load(PluginTest::shadingPlugin);
    ASSERT_EQ(host.send(PF_Cmd_ABOUT), PF_Err_NONE);
    const std::string about = host.lastCommand().returnMessage;
    EXPECT_EQ(about.substr(0, about.find('\n')), "VUZEV Lens Shading Correction v0.9.0");
    EXPECT_NE(about.find('\n'), std::string::npos) << "a notice line follows";
    ASSERT_EQ(host.applyEffect(), PF_Err_NONE);
    EXPECT_EQ(host.pluginVersion(), 0x48000u);
    EXPECT_EQ(host.globalOutFlags(), PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER);
    EXPECT_EQ(host.parameters().text(PluginTest::Control::correctionModeIndex),
        "Remove Shading|Add Shading");
}

class LensShadingCorrectionPixels : public ::testing::TestWithParam<PixelCase>
{
};

TEST_P(LensShadingCorrectionPixels, MatchTheLibrary)
{
    PluginTest::expectRenderMatchesLibrary(PluginTest::shadingPlugin, true, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Frames, LensShadingCorrectionPixels,
    ::testing::Values(PixelCase { "RemoveShading8BitChosenInAfterEffects", false, false,
                          FileSource::afterEffectsDialog },
        PixelCase { "RemoveShading16BitFoundNextToTheClip", true, false,
            FileSource::afterEffectsClipFolder },
        PixelCase {
            "AddShading8BitChosenInPremierePro", false, true, FileSource::premiereProDialog },
        PixelCase {
            "AddShading16BitChosenInAfterEffects", true, true, FileSource::afterEffectsDialog }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
