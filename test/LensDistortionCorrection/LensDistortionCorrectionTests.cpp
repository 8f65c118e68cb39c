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
    PluginTest::expectIdentity(PluginTest::distortionPlugin,
        "VUZEV Lens Distortion Correction v0.9.0", "Undistort|Distort");
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
