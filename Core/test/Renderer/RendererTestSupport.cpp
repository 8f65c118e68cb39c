// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "RendererTestSupport.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace
{

class SharedRenderers : public ::testing::Environment
{
public:
    // Device objects go before the OpenCL runtime is torn down at exit.
    void TearDown() override
    {
        shading.reset();
        distortion.reset();
    }

    static std::unique_ptr<Renderer::ShadingRenderer> shading;
    static std::unique_ptr<Renderer::DistortionRenderer> distortion;
};

std::unique_ptr<Renderer::ShadingRenderer> SharedRenderers::shading;
std::unique_ptr<Renderer::DistortionRenderer> SharedRenderers::distortion;

[[maybe_unused]] ::testing::Environment* const environment
    = ::testing::AddGlobalTestEnvironment(std::make_unique<SharedRenderers>().release());

bool hasOpenCLPlatform()
{
    cl_uint count = 0;
    return clGetPlatformIDs(0, nullptr, &count) == CL_SUCCESS && count > 0;
}

} // namespace

namespace RendererTest
{

void OpenCLTest::SetUp()
{
    static const bool available = hasOpenCLPlatform();
    if (!available)
    {
        GTEST_SKIP() << "No OpenCL platform installed";
    }
}

Renderer::ShadingRenderer& sharedShadingRenderer()
{
    if (!SharedRenderers::shading)
    {
        SharedRenderers::shading = std::make_unique<Renderer::ShadingRenderer>();
    }
    return *SharedRenderers::shading;
}

Renderer::DistortionRenderer& sharedDistortionRenderer()
{
    if (!SharedRenderers::distortion)
    {
        SharedRenderers::distortion = std::make_unique<Renderer::DistortionRenderer>();
    }
    return *SharedRenderers::distortion;
}

std::vector<float> randomFrame(unsigned width, unsigned height, unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<float> distribution(0.0f, 1.0f);
    std::vector<float> frame(std::size_t { width } * height * 4);
    std::generate(frame.begin(), frame.end(), [&] { return distribution(generator); });
    return frame;
}

double maximumDifference(const std::vector<float>& actual, const std::vector<float>& expected)
{
    EXPECT_EQ(actual.size(), expected.size());
    double maximum = 0.0;
    for (std::size_t i = 0; i < std::min(actual.size(), expected.size()); ++i)
    {
        const double difference = std::fabs(double { actual[i] } - expected[i]);
        if (std::isnan(difference))
        {
            return INFINITY; // a NaN on one side only is never close
        }
        maximum = std::max(maximum, difference);
    }
    return maximum;
}

} // namespace RendererTest
