// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>

#include "Renderer/DistortionParameter.h"
#include "Renderer/OpenCL/OpenCLKernel.h"

namespace Renderer
{

/// Removes or adds radial lens distortion of one frame of interleaved RGBA floats on the OpenCL
/// device by inverse mapping with bilinear sampling, or produces the coordinate map, and computes
/// the frame size the corrected image needs. Building one compiles the kernels; keep it for later
/// frames. Not thread-safe: callers serialise parameter writes, frameSize and render calls.
class DistortionRenderer
{
public:
    DistortionRenderer();

    /// With parameter.renderMap, inputBuffer must be null and the map is written; otherwise the
    /// corrected inputBuffer is. Both buffers hold bufferSize bytes. Raises NotRenderedException.
    void render(const float* inputBuffer, float* outputBuffer, std::size_t bufferSize);

    /// The smallest frame, at least the current one and of the recording format's aspect ratio,
    /// that holds where the reverse map takes the current frame's corner and edge middles.
    /// Raises Exception for invalid radii or a frame whose new size cannot be computed.
    void frameSize(unsigned& width, unsigned& height) const;

    /// Both image radii must be greater than zero.
    void checkParameterAndThrowExceptionIfNeeded() const;

    /// Read at every render and frameSize call.
    DistortionParameter parameter;

private:
    OpenCLKernel<float> makeKernel(bool map);
    cl_int setKernelSpecificArguments(cl_kernel kernel, bool map) const;

    OpenCLKernel<float> imageKernel;
    OpenCLKernel<float> mapKernel;
};

} // namespace Renderer
