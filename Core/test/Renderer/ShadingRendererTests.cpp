// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <array>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Renderer/ShadingRenderer.h"
#include "RendererTestSupport.h"
#include "Support/RendererReference.h"

using Renderer::ShadingParameter;
using RendererTest::byteSize;
using RendererTest::FrameSize;
using RendererTest::maximumDifference;
using RendererTest::randomFrame;
using RendererTest::sharedShadingRenderer;

namespace
{

// Shading in percent over mm, lowest order first: mild, strong with odd terms, above 100 %.
const std::array<std::array<float, 6>, 3> coefficientSets = { {
    { 100.0f, 0.0f, -0.06f, 0.0f, -0.00004f, 0.0f },
    { 100.0f, -0.3f, 0.02f, -0.004f, 0.00008f, -6e-7f },
    { 120.0f, 0.5f, -0.1f, 0.001f, 0.0f, 0.0f },
} };

ShadingParameter parameter(FrameSize size, const std::array<float, 6>& a, bool reverse)
{
    ShadingParameter p;
    p.currentWidth = size.width;
    p.currentHeight = size.height;
    p.originalWidth = 1920;
    p.originalHeight = 1080;
    p.imageRadius = 21.4f;
    RendererTest::setCoefficients(p, a);
    p.reverse = reverse ? 1 : 0;
    p.gamma = 1.0f;
    return p;
}

std::vector<float> render(const ShadingParameter& p, const std::vector<float>& input)
{
    Renderer::ShadingRenderer& renderer = sharedShadingRenderer();
    renderer.parameter = p;
    std::vector<float> output(input.size(), -1.0f);
    renderer.render(input.data(), output.data(), byteSize(input));
    return output;
}

std::string renderFailure(const ShadingParameter& p, std::size_t bufferSize)
{
    sharedShadingRenderer().parameter = p;
    const std::vector<float> input(4, 0.5f);
    std::vector<float> output(4);
    return RendererTest::failureText(
        [&]
        {
            sharedShadingRenderer().render(
                p.renderMap ? nullptr : input.data(), output.data(), bufferSize);
        },
        true);
}

} // namespace

class ShadingRendererTest : public RendererTest::OpenCLTest
{
};

class ShadingRendererMatchesReference
    : public RendererTest::OpenCLTestWithParam<std::tuple<bool, int, FrameSize>>
{
};

TEST_P(ShadingRendererMatchesReference, ImageAndMap)
{
    const auto [reverse, set, size] = GetParam();
    ShadingParameter p = parameter(size, coefficientSets[set], reverse);
    const std::vector<float> input = randomFrame(size.width, size.height, 7);

    // Single precision: the factor (0.5 to 2) comes from a quintic whose terms stay within a few
    // times its value, so it is good to a few units in the last place, about 2.4e-7 each.
    EXPECT_LT(maximumDifference(render(p, input), TestSupport::referenceShading(p, input)), 2e-6);

    p.renderMap = true;
    std::vector<float> map(input.size(), -1.0f);
    sharedShadingRenderer().parameter = p;
    sharedShadingRenderer().render(nullptr, map.data(), byteSize(map));
    EXPECT_LT(maximumDifference(map, TestSupport::referenceShadingMap(p)), 2e-6);
}

INSTANTIATE_TEST_SUITE_P(DirectionCoefficientsFrame, ShadingRendererMatchesReference,
    ::testing::Combine(::testing::Bool(), ::testing::Range(0, 3),
        ::testing::Values(FrameSize { 1, 1 }, FrameSize { 3, 2 }, FrameSize { 2, 3 },
            FrameSize { 16, 9 }, FrameSize { 33, 17 }, FrameSize { 64, 48 })));

TEST_F(ShadingRendererTest, GammaOtherThanOneLinearisesAroundTheFactor)
{
    // The pipeline always sets gamma 1, where the kernel skips its powers; the other path must
    // still apply the factor to linearised values.
    const std::vector<float> input = randomFrame(33, 17, 3);
    for (const bool reverse : { false, true })
    {
        ShadingParameter p = parameter({ 33, 17 }, coefficientSets[1], reverse);
        p.gamma = 2.2f;
        // Two single-precision powers, each good to a few units in the last place.
        EXPECT_LT(
            maximumDifference(render(p, input), TestSupport::referenceShading(p, input)), 2e-5);
    }
}

TEST_F(ShadingRendererTest, ShadingIdentityKeepsTheFrame)
{
    const std::vector<float> input = randomFrame(5, 3, 1);
    for (const bool reverse : { false, true })
    {
        EXPECT_EQ(render(parameter({ 5, 3 }, { 100, 0, 0, 0, 0, 0 }, reverse), input), input);
    }
}

TEST_F(ShadingRendererTest, ShadingHalfFactorDoublesOrHalvesColourButNeverAlpha)
{
    const std::vector<float> input = randomFrame(4, 3, 2);
    const std::vector<float> removed
        = render(parameter({ 4, 3 }, { 50, 0, 0, 0, 0, 0 }, false), input);
    const std::vector<float> added
        = render(parameter({ 4, 3 }, { 50, 0, 0, 0, 0, 0 }, true), input);
    for (std::size_t i = 0; i < input.size(); ++i)
    {
        const bool alpha = i % 4 == 3;
        EXPECT_FLOAT_EQ(removed[i], alpha ? input[i] : 2.0f * input[i]) << i;
        EXPECT_FLOAT_EQ(added[i], alpha ? input[i] : 0.5f * input[i]) << i;
    }
}

TEST_F(ShadingRendererTest, ShadingFailuresAreReportedWithReasonAndSize)
{
    ShadingParameter p = parameter({ 1, 1 }, coefficientSets[0], false);
    p.renderMap = true;
    EXPECT_EQ(renderFailure(p, std::size_t { 1 } << 60),
        "An issue did occur during execution of the shading correction renderer.\n"
        "Reason: Failed to allocate device memory! (1152921504606846976 bytes)\n"
        "Data Size: 1152921504606846976 bytes\n");

    // The kernels divide by the width and address the whole frame: an empty frame or a buffer
    // smaller than the frame never reaches them.
    p.renderMap = false;
    p.currentWidth = 0;
    EXPECT_EQ(renderFailure(p, 16),
        "An issue did occur during execution of the shading correction renderer.\n"
        "Reason: Frame of 0x1 px does not fit a buffer of 16 bytes.\n"
        "Data Size: 16 bytes\n");
    p.currentWidth = 2;
    EXPECT_NE(
        renderFailure(p, 16).find("Reason: Frame of 2x1 px does not fit a buffer of 16 bytes."),
        std::string::npos);
}

#ifdef NDEBUG
TEST_F(ShadingRendererTest, MissingInputIsRefusedWithoutAssertions)
{
    // The kernel would otherwise read through whatever input argument the last frame left.
    ShadingParameter p = parameter({ 1, 1 }, coefficientSets[0], false);
    sharedShadingRenderer().parameter = p;
    std::vector<float> output(4);
    EXPECT_EQ(RendererTest::failureText(
                  [&] { sharedShadingRenderer().render(nullptr, output.data(), 16); }, true),
        "An issue did occur during execution of the shading correction renderer.\n"
        "Reason: No input image was given.\n"
        "Data Size: 16 bytes\n");
}
#endif
