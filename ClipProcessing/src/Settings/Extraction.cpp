// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Settings/Extraction.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"

namespace LensCorrect
{

namespace
{

    template <typename Number> bool readNumber(const std::string& text, Number& value)
    {
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(text.data(), end, value);
        return !text.empty() && text.front() != '-' && result.ec == std::errc()
            && result.ptr == end;
    }

    std::string windowText(const Extraction& extraction, double x, double y)
    {
        return pixelSizeText(extraction.size) + " at " + numberText(x, 10) + ", "
            + numberText(y, 10);
    }

    const char* const syntax = "--extraction WIDTHxHEIGHT[+X+Y][@SCALE] gives the plate's "
                               "picture as a window of the recording, in the recording's pixels";

} // namespace

Extraction parseExtraction(const std::string& text)
{
    const auto refuse = [&](const std::string& why)
    { return std::invalid_argument("\"" + text + "\" is not WIDTHxHEIGHT[+X+Y][@SCALE]: " + why); };
    Extraction extraction;
    std::string rest = text;
    const size_t at = rest.find('@');
    if (at != std::string::npos)
    {
        double scale = 0.0;
        if (!readNumber(rest.substr(at + 1), scale) || !std::isfinite(scale) || !(scale > 0.0))
        {
            throw refuse("the scale must be a number greater than 0");
        }
        extraction.scale = scale;
        rest.resize(at);
    }
    const size_t plus = rest.find('+');
    if (plus != std::string::npos)
    {
        const size_t second = rest.find('+', plus + 1);
        std::pair<uint32_t, uint32_t> position;
        if (second == std::string::npos
            || !readNumber(rest.substr(plus + 1, second - plus - 1), position.first)
            || !readNumber(rest.substr(second + 1), position.second))
        {
            throw refuse("the position must be +X+Y, two whole numbers of at least 0");
        }
        extraction.position = position;
        rest.resize(plus);
    }
    const size_t by = rest.find('x');
    if (by == std::string::npos || !readNumber(rest.substr(0, by), extraction.size.width)
        || !readNumber(rest.substr(by + 1), extraction.size.height) || extraction.size.width == 0
        || extraction.size.height == 0)
    {
        throw refuse("the size must be WIDTHxHEIGHT, two whole numbers greater than 0");
    }
    return extraction;
}

std::string extractionText(const Extraction& extraction)
{
    std::string text = sizeText(extraction.size);
    if (extraction.position)
    {
        text += "+" + std::to_string(extraction.position->first) + "+"
            + std::to_string(extraction.position->second);
    }
    if (extraction.scale)
    {
        text += "@" + numberText(*extraction.scale, 10);
    }
    return text;
}

CameraWindow cameraWindow(const Extraction& extraction, Size picture,
    const std::optional<Size>& withoutOverscan, Size recording)
{
    CameraWindow window;
    window.extraction = extraction;
    window.recording = recording;
    window.picture = picture;
    window.plate = withoutOverscan.value_or(picture);
    const Size size = extraction.size;
    window.x = extraction.position ? double(extraction.position->first)
                                   : (double(recording.width) - size.width) / 2.0;
    window.y = extraction.position ? double(extraction.position->second)
                                   : (double(recording.height) - size.height) / 2.0;
    if (window.x < 0.0 || window.y < 0.0 || window.x + size.width > recording.width
        || window.y + size.height > recording.height)
    {
        throw Failure("The extraction does not lie inside the recording.",
            "Extraction: " + windowText(extraction, window.x, window.y)
                + (extraction.position ? "" : " (centred)")
                + "\nRecording: " + pixelSizeText(recording) + "\nHint: " + syntax
                + "; it must fit inside the recording's " + pixelSizeText(recording));
    }

    const Size plate = window.plate;
    window.scale = extraction.scale.value_or(double(plate.width) / size.width);
    const long long width = std::llround(size.width * window.scale);
    const long long height = std::llround(size.height * window.scale);
    if (std::llabs(width - plate.width) > 1 || std::llabs(height - plate.height) > 1)
    {
        // The window the plate's own aspect ratio would give at the plate's width.
        const long long fitting = std::llround(plate.height / (double(plate.width) / size.width));
        const std::string suggestion = extraction.scale
            ? "leave the scale out (the plate's width gives "
                + numberText(plate.width / double(size.width), 10) + ")"
            : "a window of the plate's aspect ratio, such as --extraction "
                + std::to_string(size.width) + "x" + std::to_string(fitting)
                + (extraction.position ? "+" + std::to_string(extraction.position->first) + "+"
                            + std::to_string(extraction.position->second)
                                       : std::string());
        throw Failure("The plate's size does not match the extraction at its scale.",
            "Plate: " + pixelSizeText(plate) + (withoutOverscan ? " without overscan" : "")
                + "\nExtraction: " + pixelSizeText(size) + " of the " + pixelSizeText(recording)
                + " recording\nScale: " + numberText(window.scale, 10)
                + (extraction.scale ? "" : " (the plate's width over the extraction's)")
                + ", giving " + std::to_string(width) + "x" + std::to_string(height)
                + " px\nHint: " + syntax + "; " + suggestion);
    }

    // Only measured, never rendered: it may be larger than the frames the tool renders.
    const double fullWidth = std::max(1.0, std::round(recording.width * window.scale));
    const double fullHeight = std::max(1.0, std::round(recording.height * window.scale));
    if (fullWidth > UINT32_MAX || fullHeight > UINT32_MAX)
    {
        throw Failure("The recording at the plate's scale is larger than a frame can be.",
            "Recording: " + pixelSizeText(recording) + "\nScale: " + numberText(window.scale, 10));
    }
    window.fullFrame = { uint32_t(fullWidth), uint32_t(fullHeight) };

    // The optical centre in the plate without overscan, then in the picture around it. A
    // centred window has it in its middle, exactly, whatever the scale's rounding.
    const double marginX = (double(picture.width) - plate.width) / 2.0;
    const double marginY = (double(picture.height) - plate.height) / 2.0;
    const double centreX = marginX
        + (extraction.position ? window.scale * (recording.width / 2.0 - window.x)
                               : plate.width / 2.0);
    const double centreY = marginY
        + (extraction.position ? window.scale * (recording.height / 2.0 - window.y)
                               : plate.height / 2.0);
    window.centreX2 = std::llround(2.0 * centreX);
    window.centreY2 = std::llround(2.0 * centreY);
    window.centreShiftX = window.centreX2 / 2.0 - centreX;
    window.centreShiftY = window.centreY2 / 2.0 - centreY;

    const BufferPlace covering = window.bufferAround(0, 0, {});
    window.buffer = covering.size;
    window.offset = covering.offset;
    return window;
}

BufferPlace CameraWindow::bufferAround(int64_t shiftX2, int64_t shiftY2, Size margin) const
{
    // In half pixels: the buffer's middle is the centre, so its size has the centre's parity,
    // and it reaches as far on either side of the centre as the farther edge of what it covers.
    const auto cover
        = [](int64_t centre2, uint32_t extent, uint32_t margin, uint32_t& size, uint32_t& offset)
    {
        const int64_t twice
            = std::max(centre2, 2 * int64_t(extent) - centre2) + 2 * int64_t(margin);
        if (twice > int64_t(UINT32_MAX))
        {
            throw Failure("The extraction lies too far from the optical centre to be corrected.",
                "Buffer Size: " + std::to_string(twice) + " px");
        }
        size = uint32_t(twice);
        offset = uint32_t((twice - centre2) / 2);
    };
    BufferPlace place;
    cover(centreX2 + shiftX2, picture.width, margin.width, place.size.width, place.offset.width);
    cover(
        centreY2 + shiftY2, picture.height, margin.height, place.size.height, place.offset.height);
    FrameGeometry::checkFrameSize(
        place.size, "buffer centred on the optical centre that the extraction needs");
    return place;
}

std::string CameraWindow::description() const
{
    std::string text = "extraction " + windowText(extraction, x, y) + " of the "
        + pixelSizeText(recording) + " recording at scale " + numberText(scale, 10)
        + (extraction.scale ? "" : " (from the plate's width)") + ": the plate's picture "
        + pixelSizeText(picture)
        + (plate != picture ? " (" + pixelSizeText(plate) + " without overscan)" : std::string())
        + ", the optical centre at " + numberText(centreX2 / 2.0, 10) + ", "
        + numberText(centreY2 / 2.0, 10) + " in it";
    if (centreShiftX != 0.0 || centreShiftY != 0.0)
    {
        text += " (moved by " + numberText(centreShiftX, 10) + ", " + numberText(centreShiftY, 10)
            + " px to the nearest half pixel)";
    }
    return text
        + (centred() ? ", its middle; corrected as a recording format of its own"
                     : "; corrected in a " + pixelSizeText(buffer) + " buffer centred on it");
}

void checkPlateFitsRecording(Size plate, Size recording)
{
    if (recording.width == 0 || recording.height == 0 || plate.width == 0)
    {
        return;
    }
    // The library's arithmetic, in single precision.
    const float ratio = float(recording.width) / float(recording.height);
    const long long expected = std::llround(float(plate.width) / ratio);
    if (std::llabs(expected - (long long)plate.height) < 2)
    {
        return;
    }
    // A cut at the plate's own size where it fits, else the largest window of its shape.
    const double shrink = std::max(
        { 1.0, double(plate.width) / recording.width, double(plate.height) / recording.height });
    const Size suggested { uint32_t(std::max(1LL, std::llround(plate.width / shrink))),
        uint32_t(std::max(1LL, std::llround(plate.height / shrink))) };
    throw Failure("The plate is neither the recording format at another size nor a window of it.",
        "Plate: " + pixelSizeText(plate) + "\nRecording Format: " + pixelSizeText(recording)
            + "\nHint: a plate cut from the recording says where with --extraction, in the "
              "recording's pixels: --extraction "
            + std::to_string(suggested.width) + "x" + std::to_string(suggested.height)
            + " for a centred cut, --extraction " + std::to_string(suggested.width) + "x"
            + std::to_string(suggested.height)
            + "+X+Y for one whose top left corner is at X, Y; a proxy of the whole recording "
              "keeps its aspect ratio ("
            + std::to_string(plate.width) + "x" + std::to_string(expected) + " px)");
}

} // namespace LensCorrect
