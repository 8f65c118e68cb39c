// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>

#include "Renderer/OpenCL/KernelArguments.h"
#include "Renderer/OpenCL/OpenCLKernel.h"

namespace Renderer::RendererDetail
{

/// Runs the map kernel over outputBuffer when renderMap is set, else the image kernel from
/// inputBuffer into outputBuffer. Every failure, including a frame of width × height pixels that
/// is empty or larger than the buffer, is raised as NotRenderedException with failureDescription.
void renderFrame(Renderer::OpenCLKernel<float>& imageKernel,
    Renderer::OpenCLKernel<float>& mapKernel, bool renderMap, std::uint32_t width,
    std::uint32_t height, const float* inputBuffer, float* outputBuffer, std::size_t bufferSize,
    const char* failureDescription);

/// Puts the six polynomial coefficients a[0] … a[5], lowest order first, into either renderer's
/// parameter record.
template <typename Parameter, typename Coefficients>
void setCoefficients(Parameter& parameter, const Coefficients& a)
{
    parameter.a0 = a[0];
    parameter.a1 = a[1];
    parameter.a2 = a[2];
    parameter.a3 = a[3];
    parameter.a4 = a[4];
    parameter.a5 = a[5];
}

/// Adds the arguments both renderers' kernels share, in their order: frame and recording format
/// sizes, image radius and the six coefficients.
template <typename Parameter>
Renderer::KernelArguments& addFrameArguments(
    Renderer::KernelArguments& arguments, const Parameter& parameter)
{
    return arguments.add(cl_uint { parameter.currentWidth })
        .add(cl_uint { parameter.currentHeight })
        .add(cl_uint { parameter.originalWidth })
        .add(cl_uint { parameter.originalHeight })
        .add(cl_float { parameter.imageRadius })
        .add(cl_float { parameter.a0 })
        .add(cl_float { parameter.a1 })
        .add(cl_float { parameter.a2 })
        .add(cl_float { parameter.a3 })
        .add(cl_float { parameter.a4 })
        .add(cl_float { parameter.a5 });
}

} // namespace Renderer::RendererDetail
