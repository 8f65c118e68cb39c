// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/DistortionRenderer.h"

#include <algorithm>
#include <cmath>

#include "Exception/DetailLines.h"
#include "Exception/Exception.h"
#include "Renderer/KernelSources.h"
#include "Renderer/RendererDetail.h"

namespace
{

// Scale of the reverse radial map at distance d (mm): mapped distance over distance.
float distortionFactorForDistance(float d, const Renderer::DistortionParameter& parameter)
{
    if (!(d > 0.0f))
    {
        return 1.0f;
    }
    const std::array<float, 6>& b = parameter.inverseCoefficients;
    return (b[0] + b[1] * d + b[2] * d * d + b[3] * d * d * d + b[4] * d * d * d * d
               + b[5] * d * d * d * d * d)
        / d;
}

[[noreturn]] void throwFrameSizeNotComputable(float inverseImageRadius)
{
    throw Exception(ExceptionDetail::text("It is not possible to correctly calculate the new frame "
                                          "size with an image radius of ",
        inverseImageRadius, " mm."));
}

// Sizes are converted to unsigned, which is undefined for values that do not fit.
unsigned frameDimension(float value, float inverseImageRadius)
{
    if (!(value >= 0.0f && value < 4294967296.0f))
    {
        throwFrameSizeNotComputable(inverseImageRadius);
    }
    return static_cast<unsigned>(value);
}

} // namespace

namespace Renderer
{

DistortionRenderer::DistortionRenderer()
    : imageKernel(makeKernel(false))
    , mapKernel(makeKernel(true))
{
}

void DistortionRenderer::render(
    const float* inputBuffer, float* outputBuffer, std::size_t bufferSize)
{
    RendererDetail::renderFrame(imageKernel, mapKernel, parameter.renderMap, parameter.currentWidth,
        parameter.currentHeight, inputBuffer, outputBuffer, bufferSize,
        "An issue did occur during execution of the distortion correction renderer.");
}

void DistortionRenderer::frameSize(unsigned& width, unsigned& height) const
{
    checkParameterAndThrowExceptionIfNeeded();
    if (parameter.currentWidth == 0 || parameter.currentHeight == 0 || parameter.originalWidth == 0
        || parameter.originalHeight == 0)
    {
        // The corner distance and the aspect ratio below would divide by zero.
        throw Exception(ExceptionDetail::text("Frame of ", parameter.currentWidth, "x",
            parameter.currentHeight, " px with a recording format of ", parameter.originalWidth,
            "x", parameter.originalHeight, " px has no size to correct."));
    }

    const float currentWidth = static_cast<float>(parameter.currentWidth);
    const float currentHeight = static_cast<float>(parameter.currentHeight);
    const float inverseRadius = parameter.inverseImageRadius;

    // Offsets of the last column and row from the centre, and the corner's distance, in pixels.
    const float centerX = 0.5f * currentWidth - 0.5f;
    const float centerY = 0.5f * currentHeight - 0.5f;
    const float edgeX = (currentWidth - 1.0f) - centerX;
    const float edgeY = (currentHeight - 1.0f) - centerY;
    const float cornerDistance = std::sqrt(edgeX * edgeX + edgeY * edgeY);

    // The corner lies at the inverse radius in mm; the edge middles in proportion.
    const float cornerFactor = distortionFactorForDistance(inverseRadius, parameter);
    const float rightFactor
        = distortionFactorForDistance(edgeX * inverseRadius / cornerDistance, parameter);
    const float bottomFactor
        = distortionFactorForDistance(edgeY * inverseRadius / cornerDistance, parameter);
    if (!(std::isfinite(cornerFactor) && std::isfinite(rightFactor) && std::isfinite(bottomFactor))
        || cornerFactor < 0.0f || rightFactor < 0.0f || bottomFactor < 0.0f)
    {
        throwFrameSizeNotComputable(inverseRadius);
    }

    const unsigned newWidth
        = frameDimension(std::max(std::ceil(rightFactor * (currentWidth - 1.0f)),
                             std::ceil(cornerFactor * (currentWidth - 1.0f)))
                + 1.0f,
            inverseRadius);
    const unsigned newHeight
        = frameDimension(std::max(std::ceil(bottomFactor * (currentHeight - 1.0f)),
                             std::ceil(cornerFactor * (currentHeight - 1.0f)))
                + 1.0f,
            inverseRadius);

    // Widen or heighten to the recording format's aspect ratio.
    const float aspect = static_cast<float>(parameter.originalWidth)
        / static_cast<float>(parameter.originalHeight);
    // Both are computed before either is written, so a failure leaves the caller's sizes alone.
    const unsigned aspectWidth
        = frameDimension(std::ceil(static_cast<float>(newHeight) * aspect), inverseRadius);
    const unsigned aspectHeight
        = frameDimension(std::ceil(static_cast<float>(newWidth) / aspect), inverseRadius);
    width = std::max(newWidth, aspectWidth);
    height = std::max(newHeight, aspectHeight);
}

void DistortionRenderer::checkParameterAndThrowExceptionIfNeeded() const
{
    // Written to fail for NaN as well.
    if (!(parameter.imageRadius > 0.0f && parameter.inverseImageRadius > 0.0f))
    {
        throw Exception(ExceptionDetail::text("Image radii of ", parameter.imageRadius, " mm and ",
            parameter.inverseImageRadius, " mm are invalid and need to be greater than zero."));
    }
}

OpenCLKernel<float> DistortionRenderer::makeKernel(bool map)
{
    return OpenCLKernel<float>(distortionKernelSource,
        map ? distortionMapKernelName : distortionImageKernelName,
        [this, map](cl_kernel kernel) { return setKernelSpecificArguments(kernel, map); });
}

cl_int DistortionRenderer::setKernelSpecificArguments(cl_kernel kernel, bool map) const
{
    checkParameterAndThrowExceptionIfNeeded();
    // The map kernel has no input buffer, so its own arguments start one index earlier.
    KernelArguments arguments(kernel, map ? 1 : 2);
    return RendererDetail::addFrameArguments(arguments, parameter).status();
}

} // namespace Renderer
