// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/RendererDetail.h"

#include <cassert>

#include "Exception/DetailLines.h"
#include "Renderer/RendererExceptions.h"

namespace
{

// The kernels divide by the width and address width × height pixels of four floats, so an
// empty frame or a buffer too small for the frame must not reach them.
void checkFrameFitsBuffer(std::uint32_t width, std::uint32_t height, std::size_t bufferSize)
{
    const unsigned long long frameBytes
        = static_cast<unsigned long long>(width) * height * 4 * sizeof(float);
    if (width == 0 || height == 0 || frameBytes > bufferSize)
    {
        throw Exception(ExceptionDetail::text("Frame of ", width, "x", height,
            " px does not fit a buffer of ", bufferSize, " bytes."));
    }
}

} // namespace

namespace Renderer::RendererDetail
{

void renderFrame(Renderer::OpenCLKernel<float>& imageKernel,
    Renderer::OpenCLKernel<float>& mapKernel, bool renderMap, std::uint32_t width,
    std::uint32_t height, const float* inputBuffer, float* outputBuffer, std::size_t bufferSize,
    const char* failureDescription)
{
    if (renderMap)
    {
        assert(!inputBuffer);
    }
    else
    {
        assert(inputBuffer);
    }
    try
    {
        if (!renderMap && !inputBuffer)
        {
            // Without assertions the image kernel would otherwise run on a stale input argument.
            throw Exception("No input image was given.");
        }
        checkFrameFitsBuffer(width, height, bufferSize);
        if (renderMap)
        {
            mapKernel.execute(outputBuffer, bufferSize);
        }
        else
        {
            imageKernel.execute(inputBuffer, outputBuffer, bufferSize);
        }
    }
    catch (const Exception& exception)
    {
        throw Renderer::NotRenderedException(failureDescription,
            ExceptionDetail::DetailLines()
                .unquoted("Reason: ", exception.what())
                .unquoted("Data Size: ", std::to_string(bufferSize) + " bytes")
                .str());
    }
}

} // namespace Renderer::RendererDetail
