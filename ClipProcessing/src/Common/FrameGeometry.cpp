// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Common/FrameGeometry.h"

#include <algorithm>
#include <limits>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"

namespace LensCorrect
{

Size FrameGeometry::renderSize(Size picture, Size library)
{
    return { std::max(picture.width, library.width), std::max(picture.height, library.height) };
}

Size FrameGeometry::centredOffset(Size inner, Size outer)
{
    if (inner.width > outer.width || inner.height > outer.height)
    {
        throw Failure("A frame does not fit into the frame it is to be centred in.",
            "Inner Size: " + pixelSizeText(inner) + "\nOuter Size: " + pixelSizeText(outer));
    }
    return { (outer.width - inner.width) / 2, (outer.height - inner.height) / 2 };
}

Size FrameGeometry::bufferOffset(Size picture, Size buffer, Size canvas)
{
    const Size inCanvas = centredOffset(picture, canvas);
    const Size inBuffer = centredOffset(picture, buffer);
    centredOffset(buffer, canvas);
    return { inCanvas.width - inBuffer.width, inCanvas.height - inBuffer.height };
}

Window FrameGeometry::canvasWindow(const Window& picture, Size canvas)
{
    const Size offset = centredOffset(picture.size, canvas);
    const int64_t x = int64_t(picture.x) - offset.width;
    const int64_t y = int64_t(picture.y) - offset.height;
    constexpr int64_t lowest = std::numeric_limits<int>::min();
    constexpr int64_t highest = std::numeric_limits<int>::max();
    if (x < lowest || y < lowest || x + canvas.width > highest || y + canvas.height > highest)
    {
        throw Failure("The enlarged frame lies outside the coordinates an image file can hold.",
            "Picture Origin: " + std::to_string(picture.x) + "," + std::to_string(picture.y)
                + "\nEnlarged Size: " + pixelSizeText(canvas));
    }
    return { int(x), int(y), canvas };
}

void FrameGeometry::checkFrameSize(Size size, const std::string& what)
{
    if (size.width == 0 || size.height == 0)
    {
        throw Failure("The " + what + " has no pixels.", "Size: " + pixelSizeText(size));
    }
    if (size.pixels() > maximumFramePixels)
    {
        throw Failure("The " + what + " is larger than the 15360x8640 pixels this tool handles.",
            "Size: " + pixelSizeText(size));
    }
}

} // namespace LensCorrect
