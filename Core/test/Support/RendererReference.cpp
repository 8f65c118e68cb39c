// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/RendererReference.h"

#include <cmath>
#include <cstddef>

namespace
{

constexpr std::size_t channels = 4;

double polynomial(const double (&coefficients)[6], double x)
{
    double result = 0.0;
    for (int i = 5; i >= 0; --i)
    {
        result = result * x + coefficients[i];
    }
    return result;
}

// A pixel centre's offset from the frame centre, in pixels.
struct Offset
{
    double x;
    double y;
};

Offset offsetFromCenter(unsigned width, unsigned height, unsigned x, unsigned y)
{
    return { x + 0.5 - width / 2.0, y + 0.5 - height / 2.0 };
}

// Millimetres per pixel: half the diagonal spans imageRadius.
double millimetresPerPixel(unsigned width, unsigned height, double imageRadius)
{
    return imageRadius / (std::hypot(width, height) / 2.0);
}

double shadingMultiplier(const Renderer::ShadingParameter& p, unsigned x, unsigned y)
{
    const Offset offset = offsetFromCenter(p.currentWidth, p.currentHeight, x, y);
    const double radius = std::hypot(offset.x, offset.y)
        * millimetresPerPixel(p.currentWidth, p.currentHeight, p.imageRadius);
    const double percent = polynomial({ p.a0, p.a1, p.a2, p.a3, p.a4, p.a5 }, radius);
    return p.reverse ? percent / 100.0 : 100.0 / percent;
}

template <typename Parameter, typename PixelFunction>
std::vector<float> forEachPixel(const Parameter& p, PixelFunction pixel)
{
    std::vector<float> output(std::size_t { p.currentWidth } * p.currentHeight * channels);
    for (unsigned y = 0; y < p.currentHeight; ++y)
    {
        for (unsigned x = 0; x < p.currentWidth; ++x)
        {
            pixel(x, y, &output[(std::size_t { y } * p.currentWidth + x) * channels]);
        }
    }
    return output;
}

// Bilinear interpolation over the frame padded with transparent black.
void bilinear(const std::vector<float>& input, unsigned width, unsigned height, double sx,
    double sy, float* result)
{
    const double left = std::floor(sx);
    const double top = std::floor(sy);
    const double fx = sx - left;
    const double fy = sy - top;
    double sum[channels] = {};
    for (int dy = 0; dy <= 1; ++dy)
    {
        for (int dx = 0; dx <= 1; ++dx)
        {
            const double weight = (dx ? fx : 1.0 - fx) * (dy ? fy : 1.0 - fy);
            const double px = left + dx;
            const double py = top + dy;
            if (weight == 0.0 || px < 0 || py < 0 || px >= width || py >= height)
            {
                continue;
            }
            const std::size_t index
                = (static_cast<std::size_t>(py) * width + static_cast<std::size_t>(px)) * channels;
            for (std::size_t c = 0; c < channels; ++c)
            {
                sum[c] += weight * input[index + c];
            }
        }
    }
    for (std::size_t c = 0; c < channels; ++c)
    {
        result[c] = static_cast<float>(sum[c]);
    }
}

} // namespace

namespace TestSupport
{

std::vector<float> referenceShading(
    const Renderer::ShadingParameter& p, const std::vector<float>& input)
{
    return forEachPixel(p,
        [&](unsigned x, unsigned y, float* out)
        {
            const double multiplier = shadingMultiplier(p, x, y);
            const float* in = &input[(std::size_t { y } * p.currentWidth + x) * channels];
            for (std::size_t c = 0; c < 3; ++c)
            {
                out[c] = static_cast<float>(
                    std::pow(std::pow(double { in[c] }, p.gamma) * multiplier, 1.0 / p.gamma));
            }
            out[3] = in[3];
        });
}

std::vector<float> referenceShadingMap(const Renderer::ShadingParameter& p)
{
    return forEachPixel(p,
        [&](unsigned x, unsigned y, float* out)
        {
            const float multiplier = static_cast<float>(shadingMultiplier(p, x, y));
            out[0] = out[1] = out[2] = multiplier;
            out[3] = 1.0f;
        });
}

std::vector<float> referenceDistortion(
    const Renderer::DistortionParameter& p, const std::vector<float>& input)
{
    const double scale = millimetresPerPixel(p.currentWidth, p.currentHeight, p.imageRadius);
    return forEachPixel(p,
        [&](unsigned x, unsigned y, float* out)
        {
            const Offset offset = offsetFromCenter(p.currentWidth, p.currentHeight, x, y);
            const double radius = std::hypot(offset.x, offset.y) * scale;
            const double sourceRadius = polynomial({ p.a0, p.a1, p.a2, p.a3, p.a4, p.a5 }, radius);
            const double stretch = radius > 0.0 ? sourceRadius / radius : 1.0;
            const double centreX = (p.currentWidth - 1) / 2.0;
            const double centreY = (p.currentHeight - 1) / 2.0;
            bilinear(input, p.currentWidth, p.currentHeight, centreX + offset.x * stretch,
                centreY + offset.y * stretch, out);
        });
}

std::vector<float> referenceDistortionMap(const Renderer::DistortionParameter& p)
{
    return forEachPixel(p,
        [&](unsigned x, unsigned y, float* out)
        {
            out[0] = static_cast<float>(static_cast<double>(x) / p.currentWidth);
            out[1] = static_cast<float>(static_cast<double>(y) / p.currentHeight);
            out[2] = 0.0f;
            out[3] = 1.0f;
        });
}

} // namespace TestSupport
