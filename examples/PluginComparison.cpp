// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "PluginComparison.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include <OpenImageIO/imagebuf.h>

#include "host/SimulatedHost.h"

namespace Example
{

double PluginComparison::largestDifference() const
{
    OIIO::ImageBuf plateImage(plate);
    if (!plateImage.read(0, 0, true, OIIO::TypeFloat))
    {
        throw std::runtime_error("cannot read " + plate + ": " + plateImage.geterror());
    }
    const OIIO::ImageSpec& spec = plateImage.spec();

    // A 16-bit host layer holds 0 to 32768 per channel, alpha first.
    Host::PixelWorld layer(spec.width, spec.height, true);
    const auto step = [](float value)
    { return A_u_short(std::lround(std::clamp(value, 0.0f, 1.0f) * 32768.0f)); };
    float pixel[4];
    for (int y = 0; y < spec.height; ++y)
    {
        for (int x = 0; x < spec.width; ++x)
        {
            plateImage.getpixel(x, y, pixel, 4);
            layer.setPixel(
                x, y, { step(pixel[3]), step(pixel[0]), step(pixel[1]), step(pixel[2]) });
        }
    }

    Host::SimulatedHost host;
    host.load(plugin);
    if (host.applyEffect() != PF_Err_NONE)
    {
        throw std::runtime_error("the plug-in could not be applied");
    }
    host.frames().setInputLayer(std::move(layer));
    host.clip().setFootagePath(std::u16string(clipPath.begin(), clipPath.end()));
    host.frames().setTime(0, 1, 24); // The clip's frame 0 at its 24 frames per second.
    if (host.renderFrame() != PF_Err_NONE || !host.shownMessages().empty())
    {
        throw std::runtime_error("the plug-in failed to render: "
            + (host.shownMessages().empty() ? std::string("no message")
                                            : host.shownMessages().front()));
    }
    const Host::PixelWorld& output = host.frames().outputWorld();

    // The plug-in's frame is the library's buffer with the picture centred, as in the tool's
    // EXR, whose display window is the picture.
    OIIO::ImageBuf tool(toolResult);
    if (!tool.read(0, 0, true, OIIO::TypeFloat))
    {
        throw std::runtime_error("cannot read " + toolResult + ": " + tool.geterror());
    }
    const int left = (output.width() - spec.width) / 2;
    const int top = (output.height() - spec.height) / 2;
    double largest = 0.0;
    for (A_long y = 0; y < output.height(); ++y)
    {
        for (A_long x = 0; x < output.width(); ++x)
        {
            tool.getpixel(int(x) - left, int(y) - top, pixel, 4);
            const auto rendered = output.pixel(x, y);
            const float expected[4] = { pixel[3], pixel[0], pixel[1], pixel[2] };
            for (int channel = 0; channel < 4; ++channel)
            {
                const double wanted = std::clamp(expected[channel], 0.0f, 1.0f) * 32768.0;
                largest = std::max(largest, std::abs(double(rendered[size_t(channel)]) - wanted));
            }
        }
    }
    return largest;
}

} // namespace Example
