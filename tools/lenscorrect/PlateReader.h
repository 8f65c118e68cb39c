// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "lenscorrect/ChannelLayout.h"
#include "lenscorrect/ColorConversion.h"
#include "lenscorrect/InputClip.h"

namespace LensCorrect
{

/// One input frame, ready for the library.
struct Plate
{
    InputFrame frame;
    OIIO::ImageSpec spec; ///< The file's header.
    std::vector<RgbaImage> groups; ///< The channel groups, picture-sized, in linear light.
};

/// Reads the frames of one clip, in any order, on one thread (a movie stays open between
/// frames). Every frame must have the first frame's picture size and channels.
class PlateReader
{
public:
    PlateReader(const InputClip& clip, const ColorConversion& colour, const ChannelLayout& layout);
    /// For a clip known by one frame's header (`clipSpec`, kept by the caller) rather than
    /// listed whole: a chunk that runs from a plan.
    PlateReader(const OIIO::ImageSpec& clipSpec, const ColorConversion& colour,
        const ChannelLayout& layout);
    ~PlateReader();
    PlateReader(const PlateReader&) = delete;
    PlateReader& operator=(const PlateReader&) = delete;

    /// Throws Failure when the frame cannot be read or does not match the clip.
    Plate read(const InputFrame& frame);

private:
    const OIIO::ImageSpec& clipSpec;
    const ColorConversion& colour;
    const ChannelLayout& layout;
    std::unique_ptr<OIIO::ImageInput> movie;
};

} // namespace LensCorrect
