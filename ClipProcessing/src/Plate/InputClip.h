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
    /// The first readable frame's header (of its first part).
    const OIIO::ImageSpec& firstSpec() const { return parts.front(); }
    /// The headers of the first readable frame's parts: the subimages of a file (the parts of a
    /// multi-part EXR), or a movie's frame alone.
    const std::vector<OIIO::ImageSpec>& firstParts() const { return parts; }
    /// The first readable frame's file.
    const std::string& firstPath() const { return firstFile; }
    /// Whether the input is a movie, whose subimages are its frames.
    bool isMovie() const { return movie; }
    /// OpenImageIO's name of the first readable frame's format ("openexr", "tiff", ...).
    const std::string& formatName() const { return format; }
    /// The input as the user named it, for messages.
    const std::string& name() const { return inputName; }

private:
    void listSequence(const class FramePattern& pattern);

    std::string inputName;
    bool movie = false;
    std::vector<InputFrame> inputFrames;
    std::vector<OIIO::ImageSpec> parts;
    std::string firstFile;
    std::string format;
};

/// The headers of every subimage of an image file: the parts of a multi-part EXR, the pages of
/// a TIFF. Empty when the first cannot be read (the image's error says why).
std::vector<OIIO::ImageSpec> imageParts(OIIO::ImageInput& image);

/// Whether a header is a movie's, whose subimages are its frames.
bool isMovie(const OIIO::ImageSpec& spec);

} // namespace LensCorrect
