// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <OpenImageIO/imageio.h>

namespace LensCorrect
{

/// One frame of the input: a file of a sequence, or a frame of a movie (a subimage of it in
/// OpenImageIO's terms).
struct InputFrame
{
    int number = 0; ///< The sequence number in the file name, or the movie's frame index.
    std::string path;
    int subimage = 0;
};

/// The frames the input names: an image sequence (a pattern with a frame number field, or one
/// file of the sequence), a single image, or a movie read through OpenImageIO's FFmpeg reader.
class InputClip
{
public:
    /// Lists the frames; throws Failure when there are none or the input cannot be read.
    explicit InputClip(const std::string& input);

    /// By ascending number.
    const std::vector<InputFrame>& frames() const { return inputFrames; }
    /// Every input file (for a sequence one per frame).
    std::vector<std::string> files() const;
    /// Ranges of numbers (first, last) between the first and the last frame for which no file
    /// exists.
    std::vector<std::pair<int, int>> missingFrames() const;
    /// The first readable frame's header: the picture size, channels and colour space that
    /// every frame of the clip must share.
    const OIIO::ImageSpec& firstSpec() const { return spec; }
    /// OpenImageIO's name of the first readable frame's format ("openexr", "tiff", ...).
    const std::string& formatName() const { return format; }
    /// The input as the user named it, for messages.
    const std::string& name() const { return inputName; }

private:
    void listSequence(const class FramePattern& pattern);

    std::string inputName;
    bool movie = false;
    std::vector<InputFrame> inputFrames;
    OIIO::ImageSpec spec;
    std::string format;
};

} // namespace LensCorrect
