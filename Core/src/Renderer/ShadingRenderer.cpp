// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/ShadingRenderer.h"

#include "Renderer/KernelSources.h"
#include "Renderer/RendererDetail.h"

namespace Renderer
{

ShadingRenderer::ShadingRenderer()
    : imageKernel(makeKernel(false))
    , mapKernel(makeKernel(true))
{
}

void ShadingRenderer::render(const float* inputBuffer, float* outputBuffer, std::size_t bufferSize)
{
    RendererDetail::renderFrame(imageKernel, mapKernel, parameter.renderMap, parameter.currentWidth,
        parameter.currentHeight, inputBuffer, outputBuffer, bufferSize,
        "An issue did occur during execution of the shading correction renderer.");
}

void ShadingRenderer::frameSize(unsigned& width, unsigned& height) const
{
    width = parameter.currentWidth;
    height = parameter.currentHeight;
}

OpenCLKernel<float> ShadingRenderer::makeKernel(bool map)
{
    return OpenCLKernel<float>(shadingKernelSource,
        map ? shadingMapKernelName : shadingImageKernelName,
        [this, map](cl_kernel kernel) { return setKernelSpecificArguments(kernel, map); });
}

cl_int ShadingRenderer::setKernelSpecificArguments(cl_kernel kernel, bool map) const
{
    // The map kernel has no input buffer, so its own arguments start one index earlier.
    KernelArguments arguments(kernel, map ? 1 : 2);
    RendererDetail::addFrameArguments(arguments, parameter)
        .add(cl_uchar { parameter.reverse })
        .add(cl_float { parameter.gamma });
    return arguments.status();
}

} // namespace Renderer
