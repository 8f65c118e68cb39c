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
    PluginTest::expectIdentity(PluginTest::shadingPlugin, "VUZEV Lens Shading Correction v0.9.0",
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
