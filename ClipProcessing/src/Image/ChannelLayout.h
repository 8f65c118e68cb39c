// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Image/RgbaImage.h"

namespace LensCorrect
{

/// How an image's channels travel through the library's RGBA buffers: its colour channels three
/// at a time (a last group of fewer repeats its last channel, so grey images pass as grey), each
/// group with the image's alpha, or an opaque one for images without alpha.
class ChannelLayout
{
public:
    /// `alphaChannel`: the index of the alpha channel; outside 0 to channels - 1: none.
    ChannelLayout(int channels, int alphaChannel);
    /// The channels and alpha channel of an image's header.
    explicit ChannelLayout(const OIIO::ImageSpec& spec);

    int channels() const { return channelCount; }
    size_t groups() const { return colourGroups.size(); }
    /// Red, green, blue and maybe alpha, in that order: the image's pixels are a group's, with
    /// or without its fourth value.
    bool isRgba() const
    {
        return colourGroups.size() == 1 && colourGroups.front() == std::array<int, 3> { 0, 1, 2 }
        && (channelCount == 3 || alpha == 3);
    }

    /// Interleaved pixels of channels() floats, split into the groups.
    std::vector<RgbaImage> split(const float* pixels, Size size) const;
    /// The same into `groups` images (one a group) of the pixels' size.
    void split(const float* pixels, std::vector<RgbaImage>& groups) const;
    /// The groups joined into interleaved pixels of channels() floats; alpha comes from the
    /// first group (every group carries the same).
    void join(const std::vector<RgbaImage>& groups, float* pixels) const;

private:
    int channelCount;
    int alpha;
    std::vector<std::array<int, 3>> colourGroups;
};

} // namespace LensCorrect
