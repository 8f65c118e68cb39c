// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/CornerValues.h"

#include <cmath>
#include <vector>

namespace LensCorrect
{

namespace
{

    /// Samples that have lost no weight to the outside of the plate; the rest of the bilinear
    /// weight sum is rounding.
    constexpr float wholeSample = 0.999f;

    /// How far back along the diagonal the second point of the extrapolation lies: far enough
    /// for a steady slope, near enough for a straight line.
    constexpr double slopeSpan = 4.0;

} // namespace

std::optional<double> cornerDisplacement(const RgbaImage& stMap, Size picture)
{
    const Size buffer = stMap.size;
    const Size offset = FrameGeometry::centredOffset(picture, buffer);
    // In the buffer's pixel coordinates, pixel centres at + 0.5: the kernel's centre, and the
    // picture's top left corner point.
    const double centreX = buffer.width / 2.0;
    const double centreY = buffer.height / 2.0;
    const double cornerX = offset.width;
    const double cornerY = offset.height;
    const double cornerRadius = std::hypot(cornerX - centreX, cornerY - centreY);
    if (!(cornerRadius > 0.0))
    {
        return std::nullopt;
    }
    const double stepX = (cornerX - centreX) / cornerRadius * 0.5;
    const double stepY = (cornerY - centreY) / cornerRadius * 0.5;

    struct Radii
    {
        double output;
        double source;
    };
    std::vector<Radii> whole;
    long lastX = -1;
    long lastY = -1;
    for (double x = centreX, y = centreY; x >= 0.0 && y >= 0.0; x += stepX, y += stepY)
    {
        const long pixelX = long(x);
        const long pixelY = long(y);
        if (pixelX == lastX && pixelY == lastY)
        {
            continue;
        }
        lastX = pixelX;
        lastY = pixelY;
        if (pixelX >= long(buffer.width) || pixelY >= long(buffer.height))
        {
            continue;
        }
        const float* sample = stMap.pixel(uint32_t(pixelX), uint32_t(pixelY));
        if (!(sample[3] >= wholeSample))
        {
            continue;
        }
        const double sourceX = sample[0] * double(picture.width) + offset.width;
        const double sourceY = (1.0 - sample[1]) * double(picture.height) + offset.height;
        whole.push_back({ std::hypot(pixelX + 0.5 - centreX, pixelY + 0.5 - centreY),
            std::hypot(sourceX - centreX, sourceY - centreY) });
    }
    // The sample whose source lies nearest the corner, and one a few pixels further in.
    const Radii* last = nullptr;
    for (const Radii& radii : whole)
    {
        if (!last || radii.source > last->source)
        {
            last = &radii;
        }
    }
    const Radii* before = nullptr;
    for (const Radii& radii : whole)
    {
        if (last && radii.source <= last->source - slopeSpan
            && (!before || radii.source > before->source))
        {
            before = &radii;
        }
    }
    if (!last || !before)
    {
        return std::nullopt;
    }
    const double slope = (last->output - before->output) / (last->source - before->source);
    const double output = last->output + (cornerRadius - last->source) * slope;
    return output - cornerRadius;
}

CornerValues measureCorner(FrameCorrector& corrector, const LensDataKey& frame, Size picture,
    bool shading, bool distortion)
{
    CornerValues values;
    if (distortion)
    {
        const Size renderSize = corrector.renderSize(frame);
        values.displacement = cornerDisplacement(corrector.stMap(frame, renderSize), picture);
    }
    if (shading)
    {
        const float gain = corrector.gainMap(frame).pixel(0, 0)[0];
        if (gain > 0.0f && std::isfinite(gain))
        {
            values.shadingStops = std::log2(double(gain));
        }
    }
    return values;
}

} // namespace LensCorrect
