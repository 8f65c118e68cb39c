// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Lens shading (vignetting) correction of interleaved RGBA float pixels.
//
// The shading factor of a pixel is a fifth-degree polynomial of its distance r from the image
// centre on the sensor, in mm, whose value is in percent:
//     factor(r) = (a0 + a1 r + a2 r^2 + a3 r^3 + a4 r^4 + a5 r^5) / 100
// Removing shading (reverse == 0) divides the colour by the factor, adding it multiplies.
//
// KernelCommon.cl comes first: pixelOfWorkItem, square, distanceFromSensorImageAreaCenter.

// Shading in percent at distance x (mm), as a fraction.
float computeResultForQuinticFunction(
    float x, float a0, float a1, float a2, float a3, float a4, float a5)
{
    return (a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x + a5 * x * x * x * x * x)
        / 100.0f;
}

// The multiplier applied to linear colour values of the pixel at position.
float shadingFactor(uint2 resolution, uint2 position, float imageRadius, float a0, float a1,
    float a2, float a3, float a4, float a5, uchar reverse)
{
    const float r = distanceFromSensorImageAreaCenter(imageRadius, resolution, position);
    const float factor = computeResultForQuinticFunction(r, a0, a1, a2, a3, a4, a5);
    return reverse > 0 ? factor : 1.0f / factor;
}

// originalWidth and originalHeight (the recording format in pixels) are part of the argument
// list the host sets but take no part in the arithmetic.
__kernel void shading(__global const float* input, __global float* output, uint currentWidth,
    uint currentHeight, uint originalWidth, uint originalHeight, float imageRadius, float a0,
    float a1, float a2, float a3, float a4, float a5, uchar reverse, float gamma)
{
    size_t x, y;
    if (!pixelOfWorkItem(currentWidth, currentHeight, &x, &y))
    {
        return;
    }

    const float factor = shadingFactor((uint2)(currentWidth, currentHeight), (uint2)(x, y),
        imageRadius, a0, a1, a2, a3, a4, a5, reverse);

    // Colour channels are linearised with gamma, scaled and brought back; alpha is kept.
    const size_t offset = (y * currentWidth + x) * 4;
    for (size_t channel = 0; channel < 3; ++channel)
    {
        // A gamma of 1 (what the pipeline always sets) makes both powers the identity; skip them.
        const float value = input[offset + channel];
        const float linear = (gamma == 1.0f ? value : pow(value, gamma)) * factor;
        output[offset + channel] = gamma == 1.0f ? linear : pow(linear, 1.0f / gamma);
    }
    output[offset + 3] = input[offset + 3];
}

// The factor "shading" multiplies linear colour values by, in the three colour channels, and
// an opaque alpha.
__kernel void shadingMap(__global float* output, uint currentWidth, uint currentHeight,
    uint originalWidth, uint originalHeight, float imageRadius, float a0, float a1, float a2,
    float a3, float a4, float a5, uchar reverse, float gamma)
{
    size_t x, y;
    if (!pixelOfWorkItem(currentWidth, currentHeight, &x, &y))
    {
        return;
    }

    const float factor = shadingFactor((uint2)(currentWidth, currentHeight), (uint2)(x, y),
        imageRadius, a0, a1, a2, a3, a4, a5, reverse);

    const size_t offset = (y * currentWidth + x) * 4;
    output[offset + 0] = factor;
    output[offset + 1] = factor;
    output[offset + 2] = factor;
    output[offset + 3] = 1.0f;
}
