// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/PicturePlacement.h"

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Correction/CorrectorSettings.h"

namespace LensCorrect
{

namespace
{

    std::string windowText(int width, int height, int x, int y)
    {
        return std::to_string(width) + "x" + std::to_string(height) + " px at " + std::to_string(x)
            + ", " + std::to_string(y);
    }

} // namespace

PicturePlace picturePlace(const RecordingSettings& options, const OIIO::ImageSpec& spec)
{
    const Window data { spec.x, spec.y,
        { uint32_t(std::max(spec.width, 0)), uint32_t(std::max(spec.height, 0)) } };
    PicturePlace place { data, data, options.sizeWithoutOverscan };
    if (spec.full_width <= 0 || spec.full_height <= 0)
    {
        return place;
    }
    const Window display { spec.full_x, spec.full_y,
        { uint32_t(spec.full_width), uint32_t(spec.full_height) } };
    // How far the data window reaches beyond the display window on each side (negative: it
    // stops short of it); 64 bits, since both windows may lie anywhere in the file's coordinates.
    const int64_t left = int64_t(display.x) - data.x;
    const int64_t top = int64_t(display.y) - data.y;
    const int64_t right
        = (int64_t(data.x) + data.size.width) - (int64_t(display.x) + display.size.width);
    const int64_t bottom
        = (int64_t(data.y) + data.size.height) - (int64_t(display.y) + display.size.height);
    if (left <= 0 && top <= 0 && right <= 0 && bottom <= 0)
    {
        // Inside (or equal): the display window is the picture, whatever part of it has pixels.
        place.picture = display;
        return place;
    }
    const std::string windows = "Data Window: "
        + windowText(spec.width, spec.height, spec.x, spec.y) + "\nDisplay Window: "
        + windowText(spec.full_width, spec.full_height, spec.full_x, spec.full_y);
    if (left < 0 || top < 0 || right < 0 || bottom < 0)
    {
        throw Failure("The plate's data window lies partly outside its display window.",
            windows
                + "\nHint: the data window must lie inside the display window, or reach beyond "
                  "it evenly on every side (overscan)");
    }
    if (options.sizeWithoutOverscan)
    {
        return place;
    }
    if (options.extraction)
    {
        // The display window's place in the recording is stated, so the margins may take any
        // shape; equal ones keep it in the middle of the picture, where it is looked for.
        if (left != right || top != bottom)
        {
            throw Failure("The plate's overscan is not even around its picture.",
                windows + "\nHint: with --extraction the margins must be equal on opposite sides");
        }
        place.withoutOverscan = display.size;
        return place;
    }
    // The library finds the optical centre in the middle of the frame and checks the frame's
    // aspect ratio against the recording format's, to a pixel.
    const long long expectedHeight
        = std::llround(float(spec.width) / (float(spec.full_width) / float(spec.full_height)));
    if (std::llabs(left - right) > 1 || std::llabs(top - bottom) > 1
        || std::llabs(expectedHeight - spec.height) > 1)
    {
        throw Failure("The plate's overscan is not even around its picture.",
            windows
                + "\nHint: the margins must be equal on opposite sides and keep the display "
                  "window's aspect ratio");
    }
    place.withoutOverscan = display.size;
    return place;
}

} // namespace LensCorrect
