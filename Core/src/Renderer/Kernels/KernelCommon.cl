// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Helpers of both correction kernels, placed before each kernel source when it is embedded.
//
// The launch range covers one work-item per byte of the buffer, not per pixel: every kernel
// derives its pixel from the global index and returns at once outside the frame.

// The pixel of this work-item, x = index % width and y = index / width; false when x >= width
// or y >= height. Fifteen of every sixteen work-items lie beyond the frame and must cost next to
// nothing, so the index is tested first, against width × height, which is the same test (x is
// always below the width, and y below the height exactly when the index is below the product);
// only pixels pay for the division.
bool pixelOfWorkItem(uint width, uint height, size_t* x, size_t* y)
{
    const size_t index = get_global_id(0);
    if (index >= (size_t)width * height)
    {
        return false;
    }
    *x = index % width;
    *y = index / width;
    return true;
}

// v * v rather than pow(v, 2.0f): the same value (pow's own error bound is looser), and CPU
// runtimes turn pow into a library call per work-item that took most of the frame time.
float square(float v) { return v * v; }

// Distance in mm of a pixel centre from the frame centre. Pixel centres lie at integer
// positions, so the centre of an even-sized frame falls between pixels. Half the frame's
// diagonal (pixels) corresponds to radiusOfUsedSensorImageArea (mm).
float distanceFromSensorImageAreaCenter(
    float radiusOfUsedSensorImageArea, uint2 resolution, uint2 position)
{
    const float centerX = resolution.x / 2.0f - 0.5f;
    const float centerY = resolution.y / 2.0f - 0.5f;
    const float distance = sqrt(square(position.x - centerX) + square(position.y - centerY));
    const float halfDiagonal
        = sqrt(square((float)resolution.x) + square((float)resolution.y)) / 2.0f;
    return distance / halfDiagonal * radiusOfUsedSensorImageArea;
}
