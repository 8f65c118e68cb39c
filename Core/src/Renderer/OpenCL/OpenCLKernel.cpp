// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/OpenCLKernel.h"

#include <cmath>

#include "Renderer/OpenCL/OpenCLKernelDetail.h"
#include "Renderer/OpenCL/OpenCLKernelImpl.h"

namespace Renderer
{

template class OpenCLKernel<float>;

} // namespace Renderer

namespace Renderer::RendererDetail
{

std::size_t globalWorkSize(std::size_t bufferSize, std::size_t localSize)
{
    const float groups = std::ceil(static_cast<float>(bufferSize) / static_cast<float>(localSize));
    // Multiplied as integers: a single-precision product need not be a multiple of localSize,
    // which the runtime would refuse.
    return static_cast<std::size_t>(groups) * localSize;
}

} // namespace Renderer::RendererDetail
