// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Image/FramePool.h"
#include "Image/RgbaImage.h"
#include "Plate/InputClip.h"
#include "Plate/PlateKind.h"

namespace LensCorrect
{

/// One input frame, ready for the library.
struct Plate
{
    /// One part of the frame (a file of one picture has one).
    struct Part
    {
        OIIO::ImageSpec spec; ///< The part's header.
        PicturePlace place; ///< Where its pixels lie in the picture.
        /// The channel groups, picture-sized, in linear light; empty outside the data window.
        std::vector<RgbaImage> groups;
    };

    InputFrame frame;
    std::vector<Part> parts;
};

/// Reads the frames of one clip, in any order, on one thread (a movie stays open between
/// frames). Every frame must be of the clip's kind.
class PlateReader
{
public:
    /// `pool`: where the frames' buffers come from, when given.
    PlateReader(const InputClip& clip, const PlateKind& kind, FramePool* pool = nullptr);
    /// For a clip known by one frame's header rather than listed whole: a chunk that runs from
    /// a plan.
    PlateReader(const OIIO::ImageSpec& clipSpec, const PlateKind& kind, FramePool* pool = nullptr);
    ~PlateReader();
    PlateReader(const PlateReader&) = delete;
    PlateReader& operator=(const PlateReader&) = delete;

    /// Throws Failure when the frame cannot be read or differs in kind from the clip.
    Plate read(const InputFrame& frame);

private:
    RgbaImage take(Size size);
    RgbaImage::Pixels take(size_t floats);
    void give(RgbaImage::Pixels&& pixels);
    void give(RgbaImage&& image);
    /// A part whose channels are red, green, blue (and alpha), as one picture-sized group.
    RgbaImage readRgba(OIIO::ImageInput& image, const InputFrame& frame, int subimage,
        const OIIO::ImageSpec& spec, const PicturePlace& place);

    const bool isMovie;
    const PlateKind& kind;
    FramePool* const pool;
    std::unique_ptr<OIIO::ImageInput> movie;
};

} // namespace LensCorrect
