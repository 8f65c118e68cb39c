// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Exception/Exception.h"
#include "Renderer/DistortionRenderer.h"
#include "Renderer/RendererDetail.h"
#include "Renderer/ShadingRenderer.h"

namespace RendererTest
{

/// Skips on a machine without an OpenCL platform; CI installs one, so there nothing is skipped.
class OpenCLTest : public ::testing::Test
{
protected:
    void SetUp() override;
};

template <typename Parameter>
class OpenCLTestWithParam : public OpenCLTest, public ::testing::WithParamInterface<Parameter>
{
};

struct FrameSize
{
    unsigned width;
    unsigned height;
};

inline void PrintTo(const FrameSize& size, std::ostream* stream)
{
    *stream << size.width << "x" << size.height;
}

using Renderer::RendererDetail::setCoefficients;

/// Renderers built once for the whole binary (building compiles the kernels, about a second
/// each) and released before the test program ends.
Renderer::ShadingRenderer& sharedShadingRenderer();
Renderer::DistortionRenderer& sharedDistortionRenderer();

/// Reproducible RGBA values in [0, 1) for a frame of width × height pixels.
std::vector<float> randomFrame(unsigned width, unsigned height, unsigned seed);

inline std::size_t byteSize(const std::vector<float>& buffer)
{
    return buffer.size() * sizeof(float);
}

/// The brief (or detailed) description of the Exception that action raises; a test failure if
/// it raises none.
template <typename Action> std::string failureText(Action action, bool detailed = false)
{
    try
    {
        action();
    }
    catch (const Exception& exception)
    {
        return detailed ? exception.detailedDescription() : exception.what();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

/// Largest absolute difference, after checking that both frames have the same size.
double maximumDifference(const std::vector<float>& actual, const std::vector<float>& expected);

} // namespace RendererTest
