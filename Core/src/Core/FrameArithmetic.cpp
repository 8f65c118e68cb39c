// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/FrameArithmetic.h"

#include <cmath>

namespace Core
{

std::optional<float> overscanPercent(
    uint32_t fullWidth, uint32_t fullHeight, uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
    {
        return 0.0f;
    }
    // Between the centres of the corner pixels, hence the half pixel off each side.
    const auto halfDiagonal = [](uint32_t w, uint32_t h)
    {
        const float x = float(w) * 0.5f - 0.5f;
        const float y = float(h) * 0.5f - 0.5f;
        return std::sqrt(x * x + y * y);
    };
    const float inner = halfDiagonal(width, height);
    if (!(inner > 0.0f))
    {
        return std::nullopt;
    }
    return (halfDiagonal(fullWidth, fullHeight) - inner) / inner * 100.0f;
}

float imageDiameter(float width, float height, uint32_t pixelWidth, uint32_t pixelHeight)
{
    const float x = float(pixelWidth);
    const float y = float(pixelHeight);
    if (pixelWidth != 0 && width != 0.0f && height == 0.0f && pixelHeight != 0)
    {
        height = width * (y / x);
    }
    else if (width == 0.0f && height != 0.0f && pixelWidth != 0 && pixelHeight != 0)
    {
        width = height * (x / y);
    }
    if (width != 0.0f && height != 0.0f)
    {
        return float(std::sqrt(double(width) * width + double(height) * height));
    }
    return 0.0f;
}

RecordingFormatDatabase::RecordingFormat manualRecordingFormat(float imageAreaWidth,
    float imageAreaHeight, uint32_t clipResolutionWidth, uint32_t clipResolutionHeight,
    std::optional<float> diameter)
{
    RecordingFormatDatabase::RecordingFormat format;
    format.imageAreaWidth = imageAreaWidth;
    format.imageAreaHeight = imageAreaHeight;
    format.clipResolutionWidth = clipResolutionWidth;
    format.clipResolutionHeight = clipResolutionHeight;
    format.imageAreaRadius = diameter.value_or(imageDiameter(imageAreaWidth, imageAreaHeight,
                                 clipResolutionWidth, clipResolutionHeight))
        * 0.5f;
    return format;
}

} // namespace Core
