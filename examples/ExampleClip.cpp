// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "ExampleClip.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace Example
{

namespace
{

    // The 24 patches of a colour rendition chart, sRGB-encoded, in rows of six.
    constexpr std::array<std::array<float, 3>, 24> patchColours { {
        { 0.45f, 0.32f, 0.26f },
        { 0.76f, 0.59f, 0.51f },
        { 0.38f, 0.48f, 0.61f },
        { 0.35f, 0.42f, 0.26f },
        { 0.51f, 0.50f, 0.69f },
        { 0.40f, 0.74f, 0.67f },
        { 0.84f, 0.49f, 0.18f },
        { 0.31f, 0.36f, 0.65f },
        { 0.76f, 0.33f, 0.38f },
        { 0.36f, 0.24f, 0.42f },
        { 0.62f, 0.74f, 0.25f },
        { 0.88f, 0.64f, 0.18f },
        { 0.22f, 0.24f, 0.58f },
        { 0.27f, 0.58f, 0.29f },
        { 0.69f, 0.19f, 0.22f },
        { 0.93f, 0.78f, 0.12f },
        { 0.73f, 0.33f, 0.58f },
        { 0.00f, 0.52f, 0.63f },
        { 0.95f, 0.95f, 0.95f },
        { 0.78f, 0.78f, 0.78f },
        { 0.63f, 0.63f, 0.63f },
        { 0.48f, 0.48f, 0.47f },
        { 0.33f, 0.33f, 0.33f },
        { 0.20f, 0.20f, 0.20f },
    } };

    constexpr float background = 0.45f;
    constexpr float lineValue = 0.08f;

    // Edges and lines are soft over a few pixels at every frame size, as a lens and a sensor
    // would render them, so that resampling keeps them.
    constexpr float edgeSigma = 1.5f;
    constexpr float lineSigma = 2.0f;

    /// 0 far inside, 1 far outside, a soft step across the edge at signed distance `distance`
    /// (pixels, positive outside).
    float softStep(float distance)
    {
        return 0.5f * (1.0f + std::erf(distance / (edgeSigma * std::sqrt(2.0f))));
    }

    /// How much of a grid line covers a pixel `distance` pixels from the line's centre.
    float line(float distance)
    {
        return std::exp(-0.5f * (distance * distance) / (lineSigma * lineSigma));
    }

    /// Signed distance of (x, y) from the border of a rectangle, positive outside.
    float boxDistance(float x, float y, float left, float top, float right, float bottom)
    {
        const float dx = std::max(left - x, x - right);
        const float dy = std::max(top - y, y - bottom);
        return dx > 0.0f && dy > 0.0f ? std::sqrt(dx * dx + dy * dy) : std::max(dx, dy);
    }

    void mix(float* pixel, const float* colour, float amount)
    {
        for (int channel = 0; channel < 3; ++channel)
        {
            pixel[channel] += (colour[channel] - pixel[channel]) * amount;
        }
    }

    std::string values(const std::array<float, 6>& list)
    {
        std::string text;
        for (size_t i = 0; i < list.size(); ++i)
        {
            char number[32];
            std::snprintf(number, sizeof(number), "%.2f", list[i]);
            text += (i ? "," : "") + std::string(number);
        }
        return text;
    }

} // namespace

std::vector<float> ExampleClip::chart() const
{
    const float scale = height / 1080.0f;
    const float spacing = 96.0f * scale;
    const float centreX = width / 2.0f - 0.5f;
    const float centreY = height / 2.0f - 0.5f;
    // Colour patches in the middle, six by four; slanted black and white squares towards the
    // corners, where distortion moves the picture most.
    const float patch = 88.0f * scale;
    const float pitch = 104.0f * scale;
    const float patchesLeft = centreX - 3.0f * pitch + (pitch - patch) / 2.0f;
    const float patchesTop = centreY - 2.0f * pitch + (pitch - patch) / 2.0f;
    const float square = 150.0f * scale;
    const float slant = std::tan(5.0f * 3.14159265f / 180.0f);
    const float white[3] = { 0.9f, 0.9f, 0.9f };
    const float black[3] = { 0.05f, 0.05f, 0.05f };
    const float gridColour[3] = { lineValue, lineValue, lineValue };

    std::vector<float> pixels(size_t(width) * height * 4);
    for (uint32_t y = 0; y < height; ++y)
    {
        for (uint32_t x = 0; x < width; ++x)
        {
            float* pixel = &pixels[(size_t(y) * width + x) * 4];
            pixel[0] = pixel[1] = pixel[2] = background;
            pixel[3] = 1.0f;
            const float dx = std::remainder(x - centreX, spacing);
            const float dy = std::remainder(y - centreY, spacing);
            mix(pixel, gridColour, std::max(line(dx), line(dy)));

            for (const float sx : { -1.0f, 1.0f })
            {
                for (const float sy : { -1.0f, 1.0f })
                {
                    // Rotated by a few degrees about the square's centre, so edges are slanted.
                    const float squareX = centreX + sx * 0.33f * width;
                    const float squareY = centreY + sy * 0.3f * height;
                    const float u = (x - squareX) + slant * (y - squareY);
                    const float v = (y - squareY) - slant * (x - squareX);
                    const float half = square / 2.0f;
                    const float inside
                        = 1.0f - softStep(boxDistance(u, v, -half, -half, half, half));
                    // A two by two checker whose inner edges are as soft as the outer ones.
                    const float checker = (2.0f * softStep(u) - 1.0f) * (2.0f * softStep(v) - 1.0f);
                    float colour[3];
                    const float whiteShare = 0.5f * (1.0f + checker);
                    for (int channel = 0; channel < 3; ++channel)
                    {
                        colour[channel]
                            = black[channel] + (white[channel] - black[channel]) * whiteShare;
                    }
                    mix(pixel, colour, inside);
                }
            }

            const int column = int(std::floor((x - patchesLeft + (pitch - patch) / 2.0f) / pitch));
            const int row = int(std::floor((y - patchesTop + (pitch - patch) / 2.0f) / pitch));
            if (column >= 0 && column < 6 && row >= 0 && row < 4)
            {
                const float left = patchesLeft + column * pitch;
                const float top = patchesTop + row * pitch;
                const float inside = 1.0f
                    - softStep(
                        boxDistance(float(x), float(y), left, top, left + patch, top + patch));
                mix(pixel, patchColours[size_t(row * 6 + column)].data(), inside);
            }
        }
    }
    return pixels;
}

std::string ExampleClip::correctionFile() const
{
    const std::array<float, 6> radii { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };
    std::ostringstream text;
    text << "HEADER_START\n"
            "lensManufacturer:=Example Optics\n"
            "lensTypeName:=Zoom 18-80\n"
            "lensSerialNumber:=EZ1880-0042\n"
            "lensMinFocalLength:=18\n"
            "lensMaxFocalLength:=80\n"
            "cameraManufacturer:=ARRI\n"
            "cameraModel:=ALEXA Mini\n"
            "sensorWidth:=23.76\n"
            "clipName:=A001C001_260614_R1AB\n"
            "videoFileName:="
         << clipFileName
         << "\n"
            "clipDurationFrames:="
         << frameCount
         << "\n"
            "clipWidth:=1920\n"
            "clipHeight:=1080\n"
            "tcFps:=24\n"
            "tcDrop:=0\n"
            "enableLensShadingCorrection:=1\n"
            "shadingGamma:=1\n"
            "enableLensDistortionCorrection:=1\n"
            "distortionZoom:=1\n"
            "HEADER_END\n"
            "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;timecode\n";
    for (uint32_t frame = 0; frame < frameCount; ++frame)
    {
        // From wide to long: vignetting fades, barrel distortion turns into pincushion.
        const float zoom = frameCount > 1 ? float(frame) / float(frameCount - 1) : 0.0f;
        const float falloff = 0.9f - 0.6f * zoom;
        const float distortion = -60.0f + 80.0f * zoom;
        std::array<float, 6> shading {};
        std::array<float, 6> radial {};
        for (size_t i = 0; i < radii.size(); ++i)
        {
            const float share = (radii[i] / 21.4f) * (radii[i] / 21.4f);
            shading[i] = 100.0f * (1.0f - falloff * share);
            radial[i] = distortion * share;
        }
        char line[256];
        std::snprintf(line, sizeof(line), "%u;%s;%s;%.1f;2.5;2.8;%.3f;2.9;01.00.%02u.%02u\n", frame,
            values(shading).c_str(), values(radial).c_str(), 18.0f + 62.0f * zoom, zoom, frame / 24,
            frame % 24);
        text << line;
    }
    return text.str();
}

} // namespace Example
