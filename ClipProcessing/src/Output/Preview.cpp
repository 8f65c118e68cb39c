// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Output/Preview.h"

#include <algorithm>
#include <cmath>

#include <OpenImageIO/imagebufalgo.h>

#include "Common/Failure.h"
#include "Output/FrameWriter.h"

namespace LensCorrect
{

namespace
{

    constexpr int maximumHeight = 540;
    constexpr int gap = 8;

    /// The image scaled by `scale`, in sRGB, without alpha (as if over black).
    OIIO::ImageBuf displayed(const RgbaImage& image, double scale)
    {
        OIIO::ImageSpec spec(int(image.size.width), int(image.size.height), 4, OIIO::TypeFloat);
        spec.alpha_channel = 3;
        const OIIO::ImageBuf linear(spec, const_cast<float*>(image.pixels.data()));
        const int width = std::max(1, int(std::lround(image.size.width * scale)));
        const int height = std::max(1, int(std::lround(image.size.height * scale)));
        OIIO::ImageBuf scaled = OIIO::ImageBufAlgo::resize(
            linear, "", 0.0f, OIIO::ROI(0, width, 0, height, 0, 1, 0, 4));
        OIIO::ImageBuf colour = OIIO::ImageBufAlgo::channels(scaled, 3, {});
        OIIO::ImageBufAlgo::colorconvert(colour, colour, "linear", "sRGB", false);
        return colour;
    }

    /// Lines every `spacing` pixels through the centre of `area`, in both directions.
    void drawGrid(OIIO::ImageBuf& picture, const OIIO::ROI& area, int spacing)
    {
        const float colour[3] = { 1.0f, 0.75f, 0.0f };
        const int centreX = (area.xbegin + area.xend) / 2;
        const int centreY = (area.ybegin + area.yend) / 2;
        for (int x = centreX - (centreX - area.xbegin) / spacing * spacing; x < area.xend;
             x += spacing)
        {
            OIIO::ImageBufAlgo::render_line(picture, x, area.ybegin, x, area.yend - 1, colour);
        }
        for (int y = centreY - (centreY - area.ybegin) / spacing * spacing; y < area.yend;
             y += spacing)
        {
            OIIO::ImageBufAlgo::render_line(picture, area.xbegin, y, area.xend - 1, y, colour);
        }
    }

} // namespace

void writePreview(const std::string& path, const RgbaImage& before, const RgbaImage& after)
{
    const double scale = std::min(1.0, double(maximumHeight) / before.size.height);
    const OIIO::ImageBuf left = displayed(before, scale);
    const OIIO::ImageBuf right = displayed(after, scale);
    const OIIO::ROI leftArea = left.roi();
    const OIIO::ROI rightArea = right.roi();
    const int height = std::max(leftArea.height(), rightArea.height());
    const int width = leftArea.width() + gap + rightArea.width();

    const float background[3] = { 0.1f, 0.1f, 0.1f };
    OIIO::ImageBuf picture
        = OIIO::ImageBufAlgo::fill(background, OIIO::ROI(0, width, 0, height, 0, 1, 0, 3));
    const int leftTop = (height - leftArea.height()) / 2;
    const int rightLeft = leftArea.width() + gap;
    const int rightTop = (height - rightArea.height()) / 2;
    OIIO::ImageBufAlgo::paste(picture, 0, leftTop, 0, 0, left);
    OIIO::ImageBufAlgo::paste(picture, rightLeft, rightTop, 0, 0, right);
    const int spacing = std::max(8, leftArea.height() / 8);
    drawGrid(
        picture, OIIO::ROI(0, leftArea.width(), leftTop, leftTop + leftArea.height()), spacing);
    drawGrid(
        picture, OIIO::ROI(rightLeft, width, rightTop, rightTop + rightArea.height()), spacing);
    if (picture.has_error())
    {
        throw Failure("The preview picture cannot be drawn.", "Reason: " + picture.geterror());
    }

    OIIO::ImageSpec spec(width, height, 3, OIIO::TypeUInt8);
    spec.attribute("oiio:ColorSpace", "sRGB");
    std::vector<float> pixels(size_t(width) * height * 3);
    picture.get_pixels(picture.roi(), OIIO::TypeFloat, pixels.data());
    FrameWriter::write(path, spec, pixels.data());
}

} // namespace LensCorrect
