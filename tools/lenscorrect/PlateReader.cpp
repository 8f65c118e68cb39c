// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/PlateReader.h"

#include "lenscorrect/Failure.h"

namespace LensCorrect
{

namespace
{

    std::string sizeText(const OIIO::ImageSpec& spec)
    {
        return std::to_string(spec.width) + "x" + std::to_string(spec.height) + " px, "
            + std::to_string(spec.nchannels) + " channels";
    }

    Failure unreadable(const InputFrame& frame, const std::string& reason)
    {
        return Failure("The frame cannot be read.",
            "Path: \"" + frame.path + "\""
                + (frame.subimage ? "\nMovie Frame: " + std::to_string(frame.subimage)
                                  : std::string())
                + "\nReason: " + reason);
    }

} // namespace

PlateReader::PlateReader(
    const InputClip& clip, const ColorConversion& colour, const ChannelLayout& layout)
    : PlateReader(clip.firstSpec(), colour, layout)
{
}

PlateReader::PlateReader(
    const OIIO::ImageSpec& clipSpec, const ColorConversion& colour, const ChannelLayout& layout)
    : clipSpec(clipSpec)
    , colour(colour)
    , layout(layout)
{
}

PlateReader::~PlateReader() = default;

Plate PlateReader::read(const InputFrame& frame)
{
    std::unique_ptr<OIIO::ImageInput> file;
    OIIO::ImageInput* image = nullptr;
    if (clipSpec.get_int_attribute("oiio:Movie") != 0)
    {
        if (!movie)
        {
            movie = OIIO::ImageInput::open(frame.path);
        }
        image = movie.get();
    }
    else
    {
        file = OIIO::ImageInput::open(frame.path);
        image = file.get();
    }
    if (!image)
    {
        throw unreadable(frame, OIIO::geterror());
    }
    if (!image->seek_subimage(frame.subimage, 0))
    {
        throw unreadable(frame, image->geterror());
    }

    Plate plate { frame, image->spec(), {} };
    const OIIO::ImageSpec& spec = plate.spec;
    if (spec.deep)
    {
        throw unreadable(frame, "deep images hold no picture the corrections apply to");
    }
    if (spec.width != clipSpec.width || spec.height != clipSpec.height
        || spec.nchannels != clipSpec.nchannels || spec.depth != 1)
    {
        throw Failure("The frame does not match the clip's first frame.",
            "Path: \"" + frame.path + "\"\nFrame: " + sizeText(spec)
                + "\nFirst Frame: " + sizeText(clipSpec));
    }
    const Size size { uint32_t(spec.width), uint32_t(spec.height) };
    FrameGeometry::checkFrameSize(size, "input frame");

    std::vector<float> pixels(size.pixels() * size_t(spec.nchannels));
    if (!image->read_image(frame.subimage, 0, 0, spec.nchannels, OIIO::TypeFloat, pixels.data()))
    {
        throw unreadable(frame, image->geterror());
    }
    plate.groups = layout.split(pixels.data(), size);
    for (RgbaImage& group : plate.groups)
    {
        colour.toLinear(group);
    }
    return plate;
}

} // namespace LensCorrect
