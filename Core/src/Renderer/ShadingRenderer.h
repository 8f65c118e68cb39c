// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>

#include "Renderer/OpenCL/OpenCLKernel.h"
#include "Renderer/ShadingParameter.h"

namespace Renderer
{

/// Removes or adds lens shading of one frame of interleaved RGBA floats on the OpenCL device, or
/// produces the shading map. Building one compiles the kernels; keep it for later frames.
/// Not thread-safe: callers serialise parameter writes and render calls.
class ShadingRenderer
{
public:
    ShadingRenderer();

    /// With parameter.renderMap, inputBuffer must be null and the map is written; otherwise the
    /// corrected inputBuffer is. Both buffers hold bufferSize bytes. Raises NotRenderedException.
    void render(const float* inputBuffer, float* outputBuffer, std::size_t bufferSize);

    /// Shading keeps the frame size: currentWidth and currentHeight.
    void frameSize(unsigned& width, unsigned& height) const;

    /// Read at every render call.
    ShadingParameter parameter;

private:
    OpenCLKernel<float> makeKernel(bool map);
    cl_int setKernelSpecificArguments(cl_kernel kernel, bool map) const;

    OpenCLKernel<float> imageKernel;
    OpenCLKernel<float> mapKernel;
};

} // namespace Renderer
