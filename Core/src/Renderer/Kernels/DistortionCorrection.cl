// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Radial lens distortion correction of interleaved RGBA float pixels by inverse mapping.
//
// For each output pixel at distance d (mm on the sensor) from the image centre, a fifth-degree
// polynomial gives the distance in the input frame:
//     dOld(d) = a0 + a1 d + a2 d^2 + a3 d^3 + a4 d^4 + a5 d^5    (mm)
// The pixel's offset from the centre is scaled by dOld / d and the input is sampled there with
// bilinear weights. Samples near or beyond the frame edge fade to (0, 0, 0, 0), alpha included.
//
// KernelCommon.cl comes first: pixelOfWorkItem, square, distanceFromSensorImageAreaCenter.

// Distance (mm) in the input frame for the distance x (mm) in the output frame.
float computeResultForQuinticFunction(
    float x, float a0, float a1, float a2, float a3, float a4, float a5)
{
    return a0 + a1 * x + a2 * x * x + a3 * x * x * x + a4 * x * x * x * x + a5 * x * x * x * x * x;
}

// The up to four pixels that contribute to a sample at point, with their bilinear weights.
// An integral coordinate takes one pixel along its axis, a fractional one the two around it;
// a coordinate is fractional when fmod(coordinate, 1.0f) != 0.
//
// All of it comes from one truncation t = trunc(v) per coordinate, in forms that give the same
// values for every v as the library calls they replace, and that the compiler can vectorise:
// fmod(v, 1.0f) is v - t (both exact and of v's sign; NaN for infinities and NaN), floor(v) is
// t - 1 when v < t and t otherwise, ceil(v) is t + 1 when v > t and t otherwise (beyond 2^23,
// for infinities and for NaN, t is v and so are floor and ceil).
int amountForNearestNeighbors(float2 point, int2* cells, float* weights)
{
    const float truncatedX = trunc(point.x);
    const float truncatedY = trunc(point.y);
    const bool fractionalX = point.x - truncatedX != 0.0f;
    const bool fractionalY = point.y - truncatedY != 0.0f;
    const float left = point.x < truncatedX ? truncatedX - 1.0f : truncatedX;
    const float right = point.x > truncatedX ? truncatedX + 1.0f : truncatedX;
    const float top = point.y < truncatedY ? truncatedY - 1.0f : truncatedY;
    const float bottom = point.y > truncatedY ? truncatedY + 1.0f : truncatedY;

    if (!fractionalX && !fractionalY)
    {
        cells[0] = (int2)((int)point.x, (int)point.y);
        weights[0] = 1.0f;
        return 1;
    }
    if (!fractionalY)
    {
        cells[0] = (int2)((int)left, (int)point.y);
        weights[0] = right - point.x;
        cells[1] = (int2)((int)right, (int)point.y);
        weights[1] = point.x - left;
        return 2;
    }
    if (!fractionalX)
    {
        cells[0] = (int2)((int)point.x, (int)bottom);
        weights[0] = point.y - top;
        cells[1] = (int2)((int)point.x, (int)top);
        weights[1] = bottom - point.y;
        return 2;
    }
    cells[0] = (int2)((int)left, (int)bottom);
    weights[0] = (right - point.x) * (point.y - top);
    cells[1] = (int2)((int)right, (int)bottom);
    weights[1] = (point.x - left) * (point.y - top);
    cells[2] = (int2)((int)left, (int)top);
    weights[2] = (right - point.x) * (bottom - point.y);
    cells[3] = (int2)((int)right, (int)top);
    weights[3] = (point.x - left) * (bottom - point.y);
    return 4;
}

// Weighted sum of the neighbours of point that lie inside the frame. Weights of neighbours
// outside are dropped, not redistributed.
float4 sample(uint2 resolution, uint numberOfChannels, __global const float* input, float2 point)
{
    int2 cells[4];
    float weights[4];
    const int amount = amountForNearestNeighbors(point, cells, weights);

    float4 value = (float4)(0.0f, 0.0f, 0.0f, 0.0f);
    for (int i = 0; i < amount; ++i)
    {
        const int x = cells[i].x;
        const int y = cells[i].y;
        if (x >= (int)resolution.x || x < 0 || y >= (int)resolution.y || y < 0)
        {
            continue;
        }
        const size_t offset = ((size_t)y * resolution.x + x) * numberOfChannels;
        value += (float4)(input[offset], input[offset + 1], input[offset + 2], input[offset + 3])
            * weights[i];
    }
    return value;
}

// originalWidth and originalHeight (the recording format in pixels) are part of the argument
// list the host sets but take no part in the arithmetic.
__kernel void distortion(__global const float* input, __global float* output, uint currentWidth,
    uint currentHeight, uint originalWidth, uint originalHeight, float imageRadius, float a0,
    float a1, float a2, float a3, float a4, float a5)
{
    size_t x, y;
    if (!pixelOfWorkItem(currentWidth, currentHeight, &x, &y))
    {
        return;
    }

    const uint2 resolution = (uint2)(currentWidth, currentHeight);
    const float d = distanceFromSensorImageAreaCenter(imageRadius, resolution, (uint2)(x, y));
    const float dOld = computeResultForQuinticFunction(d, a0, a1, a2, a3, a4, a5);
    const float factor = d > 0.0f ? dOld / d : 1.0f;

    const float centerX = currentWidth / 2.0f - 0.5f;
    const float centerY = currentHeight / 2.0f - 0.5f;
    const float2 source
        = (float2)((x - centerX) * factor + centerX, (y - centerY) * factor + centerY);

    const float4 value = sample(resolution, 4, input, source);
    const size_t offset = (y * currentWidth + x) * 4;
    output[offset + 0] = value.x;
    output[offset + 1] = value.y;
    output[offset + 2] = value.z;
    output[offset + 3] = value.w;
}

// The normalised identity coordinate map of the frame: (x / width, y / height, 0, 1). The
// radius and coefficients are accepted so that both kernels share one argument list.
__kernel void distortionMap(__global float* output, uint currentWidth, uint currentHeight,
    uint originalWidth, uint originalHeight, float imageRadius, float a0, float a1, float a2,
    float a3, float a4, float a5)
{
    size_t x, y;
    if (!pixelOfWorkItem(currentWidth, currentHeight, &x, &y))
    {
        return;
    }

    const size_t offset = (y * currentWidth + x) * 4;
    output[offset + 0] = (float)x / (float)currentWidth;
    output[offset + 1] = (float)y / (float)currentHeight;
    output[offset + 2] = 0.0f;
    output[offset + 3] = 1.0f;
}
