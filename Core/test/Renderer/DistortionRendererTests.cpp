// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <array>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Exception/Exception.h"
#include "Renderer/DistortionRenderer.h"
#include "RendererTestSupport.h"
#include "Support/RendererReference.h"

using Renderer::DistortionParameter;
using RendererTest::byteSize;
using RendererTest::FrameSize;
using RendererTest::maximumDifference;
using RendererTest::randomFrame;
using RendererTest::sharedDistortionRenderer;

namespace
{

// Radial maps (mm to mm), lowest order first. Removing and adding the same barrel distortion
// pull the frame inwards and push it outwards; the last two send much of the frame across
// its edges and move the centre's neighbours onto a ring.
const std::array<std::array<float, 6>, 5> coefficientSets = { {
    { 0.0f, 1.02f, 0.0f, -2e-4f, 0.0f, 0.0f },
    { 0.0f, 0.98f, 0.0f, 2.1e-4f, 0.0f, 0.0f },
    { 0.0f, 0.95f, 0.0f, 3e-4f, 0.0f, 1e-7f },
    { 0.0f, 1.3f, 0.01f, 0.0f, 0.0f, 0.0f },
    { 0.2f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f },
} };

DistortionParameter parameter(FrameSize size, const std::array<float, 6>& a)
{
    DistortionParameter p;
    p.currentWidth = size.width;
    p.currentHeight = size.height;
    p.originalWidth = size.width;
    p.originalHeight = size.height;
    p.imageRadius = 21.4f;
    p.inverseImageRadius = 21.4f;
    RendererTest::setCoefficients(p, a);
    p.inverseCoefficients = { 0.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    return p;
}

std::vector<float> render(const DistortionParameter& p, const std::vector<float>& input)
{
    Renderer::DistortionRenderer& renderer = sharedDistortionRenderer();
    renderer.parameter = p;
    std::vector<float> output(std::size_t { p.currentWidth } * p.currentHeight * 4, -1.0f);
    renderer.render(p.renderMap ? nullptr : input.data(), output.data(), byteSize(output));
    return output;
}

// The frame size for a 1920 × 1080 frame with the reverse map b1 · d at a radius of 10 mm.
DistortionParameter frameSizeParameter(float b1, unsigned originalWidth, unsigned originalHeight)
{
    DistortionParameter p = parameter({ 1920, 1080 }, { 0, 1, 0, 0, 0, 0 });
    p.originalWidth = originalWidth;
    p.originalHeight = originalHeight;
    p.imageRadius = 10.0f;
    p.inverseImageRadius = 10.0f;
    p.inverseCoefficients = { 0.0f, b1, 0.0f, 0.0f, 0.0f, 0.0f };
    return p;
}

std::pair<unsigned, unsigned> frameSize(const DistortionParameter& p)
{
    Renderer::DistortionRenderer& renderer = sharedDistortionRenderer();
    renderer.parameter = p;
    unsigned width = 0;
    unsigned height = 0;
    renderer.frameSize(width, height);
    return { width, height };
}

std::string frameSizeFailure(const DistortionParameter& p)
{
    return RendererTest::failureText([&] { frameSize(p); });
}

} // namespace

class DistortionRendererTest : public RendererTest::OpenCLTest
{
};

class DistortionRendererMatchesReference
    : public RendererTest::OpenCLTestWithParam<std::tuple<int, FrameSize>>
{
};

TEST_P(DistortionRendererMatchesReference, Image)
{
    const auto [set, size] = GetParam();
    const DistortionParameter p = parameter(size, coefficientSets[set]);
    const std::vector<float> input = randomFrame(size.width, size.height, 11);

    // Bilinear sampling is continuous, so single precision only moves the sample point: by a few
    // units in the last place of a coordinate of at most 64 pixels (about 4e-6 pixels each),
    // times a value slope of at most 1 per pixel.
    EXPECT_LT(
        maximumDifference(render(p, input), TestSupport::referenceDistortion(p, input)), 5e-5);
}

INSTANTIATE_TEST_SUITE_P(CoefficientsFrame, DistortionRendererMatchesReference,
    ::testing::Combine(::testing::Range(0, 5),
        ::testing::Values(FrameSize { 1, 1 }, FrameSize { 3, 2 }, FrameSize { 2, 3 },
            FrameSize { 16, 9 }, FrameSize { 33, 17 }, FrameSize { 64, 48 })));

TEST_F(DistortionRendererTest, IdentityMapKeepsTheFrame)
{
    for (const FrameSize size : { FrameSize { 1, 1 }, FrameSize { 3, 2 }, FrameSize { 8, 5 } })
    {
        const std::vector<float> input = randomFrame(size.width, size.height, 3);
        EXPECT_EQ(render(parameter(size, { 0, 1, 0, 0, 0, 0 }), input), input);
    }
}

TEST_F(DistortionRendererTest, FullFrameEnlargedByATenthLosesItsCorners)
{
    const DistortionParameter p = parameter({ 1920, 1080 }, { 0, 1.1f, 0, 0, 0, 0 });
    const std::vector<float> input = randomFrame(1920, 1080, 5);
    const std::vector<float> output = render(p, input);
    // Pixel (0, 0) samples at about (-95.95, -53.95), outside the frame.
    EXPECT_EQ(std::vector<float>(output.begin(), output.begin() + 4), std::vector<float>(4, 0.0f));
    // Coordinates up to 1920 pixels: thirty times the rounding of the small frames' points.
    EXPECT_LT(maximumDifference(output, TestSupport::referenceDistortion(p, input)), 5e-4);
}

TEST_F(DistortionRendererTest, MapIsTheNormalisedIdentity)
{
    DistortionParameter p = parameter({ 4, 2 }, coefficientSets[3]);
    p.renderMap = true;
    const std::vector<float> map = render(p, {});
    EXPECT_EQ(std::vector<float>(map.begin(), map.begin() + 16),
        (std::vector<float> { 0, 0, 0, 1, 0.25f, 0, 0, 1, 0.5f, 0, 0, 1, 0.75f, 0, 0, 1 }));
    EXPECT_EQ(map, TestSupport::referenceDistortionMap(p));

    p = parameter({ 3, 7 }, coefficientSets[0]);
    p.renderMap = true;
    EXPECT_EQ(render(p, {}), TestSupport::referenceDistortionMap(p));
}

TEST_F(DistortionRendererTest, FrameSizeGrowsWithTheReverseMapAndKeepsTheAspectRatio)
{
    using Size = std::pair<unsigned, unsigned>;
    EXPECT_EQ(frameSize(frameSizeParameter(1.0f, 1920, 1080)), Size(1920, 1080));
    EXPECT_EQ(frameSize(frameSizeParameter(1.1f, 1920, 1080)), Size(2112, 1188));
    EXPECT_EQ(frameSize(frameSizeParameter(1.0f, 4096, 2160)), Size(2048, 1080));

    DistortionParameter single = frameSizeParameter(1.0f, 1, 1);
    single.currentWidth = 1;
    single.currentHeight = 1;
    EXPECT_EQ(frameSize(single), Size(1, 1));
}

TEST_F(DistortionRendererTest, FrameSizeRefusesWhatItCannotCompute)
{
    DistortionParameter p = frameSizeParameter(1.0f, 1920, 1080);
    p.imageRadius = 0.0f;
    EXPECT_EQ(frameSizeFailure(p),
        "Image radii of 0 mm and 10 mm are invalid and need to be greater than zero.");
    p.imageRadius = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(frameSizeFailure(p).substr(0, 19), "Image radii of nan ");

    const std::string notComputable
        = "It is not possible to correctly calculate the new frame size with an image radius of "
          "10 mm.";
    EXPECT_EQ(frameSizeFailure(frameSizeParameter(-1.0f, 1920, 1080)), notComputable);
    // Not finite, or too large for a frame size: undefined once converted to unsigned.
    EXPECT_EQ(
        frameSizeFailure(frameSizeParameter(std::numeric_limits<float>::infinity(), 1920, 1080)),
        notComputable);
    EXPECT_EQ(
        frameSizeFailure(frameSizeParameter(std::numeric_limits<float>::quiet_NaN(), 1920, 1080)),
        notComputable);
    EXPECT_EQ(frameSizeFailure(frameSizeParameter(1e30f, 1920, 1080)), notComputable);

    // An empty frame or recording format would divide by zero.
    EXPECT_EQ(frameSizeFailure(frameSizeParameter(1.0f, 1920, 0)),
        "Frame of 1920x1080 px with a recording format of 1920x0 px has no size to correct.");
}

TEST_F(DistortionRendererTest, InvalidRadiusFailsTheRender)
{
    DistortionParameter p = parameter({ 2, 2 }, { 0, 1, 0, 0, 0, 0 });
    p.imageRadius = 0.0f;
    p.inverseImageRadius = 21.4f;
    const std::vector<float> input = randomFrame(2, 2, 4);
    EXPECT_EQ(RendererTest::failureText([&] { render(p, input); }, true),
        "An issue did occur during execution of the distortion correction renderer.\n"
        "Reason: Image radii of 0 mm and 21.4 mm are invalid and need to be greater than "
        "zero.\n"
        "Data Size: 64 bytes\n");
}
