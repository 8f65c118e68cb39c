// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace LensCorrect
{

struct Size
{
    uint32_t width = 0;
    uint32_t height = 0;

    uint64_t pixels() const { return uint64_t(width) * height; }
    bool operator==(const Size& other) const
    {
        return width == other.width && height == other.height;
    }
    bool operator!=(const Size& other) const { return !(*this == other); }
};

/// A rectangle of pixels in an image file's coordinates (a data or display window).
struct Window
{
    int x = 0;
    int y = 0;
    Size size;

    bool operator==(const Window& other) const
    {
        return x == other.x && y == other.y && size == other.size;
    }
    bool operator!=(const Window& other) const { return !(*this == other); }
};

/// Where a frame's pixels lie in the picture that the lens data describes. The picture is what
/// the library corrects, centred on the optical centre: the display window, or an overscan data
/// window around it. The file's pixels (its data window) lie inside the picture; the rest of the
/// picture counts as empty.
struct PicturePlace
{
    Window picture; ///< In the file's coordinates.
    Window data; ///< In the file's coordinates, inside the picture.
    /// The picture without its overscan margin, when it has one.
    std::optional<Size> withoutOverscan;

    /// The data's top left corner in the picture.
    Size dataOffset() const
    {
        return { uint32_t(data.x - picture.x), uint32_t(data.y - picture.y) };
    }
};

/// The largest frame the tool reads, renders or writes: a 16K frame (15360 x 8640), whose float
/// RGBA buffer already takes 2 GiB.
constexpr uint64_t maximumFramePixels = uint64_t(15360) * 8640;

/// How the plate (the picture), the library's render buffer and the output canvas lie in each
/// other. Distortion correction renders each frame into a buffer of the size the library asks
/// for, but never smaller than the picture, with the picture centred as the plug-ins do; the
/// output canvas is the largest such buffer of the clip, so that every output frame has one
/// size, and every buffer is centred in it.
namespace FrameGeometry
{

    /// The render buffer for a frame: the library's size, at least the picture's in each
    /// direction.
    Size renderSize(Size picture, Size library);

    /// Offset of an inner rectangle centred in an outer one: half the difference, truncated.
    /// Throws Failure when the inner one is larger.
    Size centredOffset(Size inner, Size outer);

    /// Where a render buffer goes in the canvas so that the picture it holds (centred in it)
    /// lands where the picture is centred in the canvas. Halving each difference separately
    /// would be a pixel off whenever both differences are odd.
    Size bufferOffset(Size picture, Size buffer, Size canvas);

    /// The canvas's window in the file's coordinates, given the picture's: the canvas grows
    /// around the picture, which keeps its place. Throws Failure when the canvas is smaller
    /// than the picture or the window leaves the range of file coordinates.
    Window canvasWindow(const Window& picture, Size canvas);

    /// Throws Failure naming `what` when a frame size is empty or larger than
    /// maximumFramePixels.
    void checkFrameSize(Size size, const std::string& what);

} // namespace FrameGeometry

} // namespace LensCorrect
