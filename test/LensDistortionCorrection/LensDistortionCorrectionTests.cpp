// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include "PluginTestSupport.h"

namespace
{

using PluginTest::FileSource;
using PluginTest::PixelCase;

TEST(LensDistortionCorrection, TellsTheHostWhatItIs)
{
    Host::SimulatedHost host;
    host.load(PluginTest::distortionPlugin);
    ASSERT_EQ(host.send(PF_Cmd_ABOUT), PF_Err_NONE);
    const std::string about = host.lastCommand().returnMessage;
    EXPECT_EQ(about.substr(0, about.find('\n')), "VUZEV Lens Distortion Correction v0.9.0");
    EXPECT_NE(about.find('\n'), std::string::npos) << "a notice line follows";
    ASSERT_EQ(host.applyEffect(), PF_Err_NONE);
    EXPECT_EQ(host.pluginVersion(), 0x48000u);
    EXPECT_EQ(host.globalOutFlags(), PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER);
    EXPECT_EQ(
        host.parameters().text(PluginTest::Control::correctionModeIndex), "Undistort|Distort");
}

class LensDistortionCorrectionPixels : public ::testing::TestWithParam<PixelCase>
{
};

TEST_P(LensDistortionCorrectionPixels, MatchTheLibrary)
{
    PluginTest::expectRenderMatchesLibrary(PluginTest::distortionPlugin, false, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Frames, LensDistortionCorrectionPixels,
    ::testing::Values(PixelCase { "Undistort8BitChosenInAfterEffects", false, false,
                          FileSource::afterEffectsDialog },
        PixelCase {
            "Undistort16BitChosenInPremierePro", true, false, FileSource::premiereProDialog },
        PixelCase {
            "Distort8BitFoundNextToTheClip", false, true, FileSource::afterEffectsClipFolder },
        PixelCase {
            "Distort16BitChosenInAfterEffects", true, true, FileSource::afterEffectsDialog }),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
