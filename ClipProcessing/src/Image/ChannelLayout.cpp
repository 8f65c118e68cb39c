// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/ChannelLayout.h"

#include <algorithm>

namespace LensCorrect
{

ChannelLayout::ChannelLayout(const OIIO::ImageSpec& spec)
    : ChannelLayout(spec.nchannels, spec.alpha_channel)
{
}

ChannelLayout::ChannelLayout(int channels, int alphaChannel)
    : channelCount(channels)
    , alpha(alphaChannel >= 0 && alphaChannel < channels ? alphaChannel : -1)
{
    std::vector<int> colours;
    for (int channel = 0; channel < channelCount; ++channel)
    {
        if (channel != alpha)
        {
            colours.push_back(channel);
        }
    }
    for (size_t first = 0; first < colours.size(); first += 3)
    {
        std::array<int, 3> group;
        for (size_t i = 0; i < 3; ++i)
        {
            group[i] = colours[std::min(first + i, colours.size() - 1)];
        }
        colourGroups.push_back(group);
    }
    if (colourGroups.empty())
    {
        // An image of alpha alone still travels in one group, its alpha as grey.
        colourGroups.push_back({ alpha, alpha, alpha });
    }
}

std::vector<RgbaImage> ChannelLayout::split(const float* pixels, Size size) const
{
    std::vector<RgbaImage> images;
    for (size_t group = 0; group < colourGroups.size(); ++group)
    {
        images.emplace_back(size, RgbaImage::Uninitialised {});
    }
    split(pixels, images);
    return images;
}

void ChannelLayout::split(const float* pixels, std::vector<RgbaImage>& images) const
{
    const size_t count = images.front().size.pixels();
    for (size_t group = 0; group < colourGroups.size(); ++group)
    {
        const std::array<int, 3>& source = colourGroups[group];
        float* to = images[group].pixels.data();
        for (size_t i = 0; i < count; ++i, to += 4)
        {
            const float* from = pixels + i * size_t(channelCount);
            to[0] = from[source[0]];
            to[1] = from[source[1]];
            to[2] = from[source[2]];
            to[3] = alpha >= 0 ? from[alpha] : 1.0f;
        }
    }
}

void ChannelLayout::join(const std::vector<RgbaImage>& groups, float* pixels) const
{
    const size_t count = groups.front().size.pixels();
    for (size_t group = 0; group < colourGroups.size(); ++group)
    {
        const std::array<int, 3>& target = colourGroups[group];
        const float* from = groups[group].pixels.data();
        for (size_t i = 0; i < count; ++i, from += 4)
        {
            float* to = pixels + i * size_t(channelCount);
            // Repeated channels of a short group are written twice with the same value.
            to[target[0]] = from[0];
            to[target[1]] = from[1];
            to[target[2]] = from[2];
            if (alpha >= 0 && group == 0)
            {
                to[alpha] = from[3];
            }
        }
    }
}

} // namespace LensCorrect
