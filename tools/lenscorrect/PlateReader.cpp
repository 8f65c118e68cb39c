// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/PlateReader.h"

#include "lenscorrect/Failure.h"

namespace LensCorrect
{

namespace
{

    Failure unreadable(const InputFrame& frame, const std::string& reason)
    {
        return Failure("The frame cannot be read.",
            "Path: \"" + frame.path + "\""
                + (frame.subimage ? "\nMovie Frame: " + std::to_string(frame.subimage)
                                  : std::string())
                + "\nReason: " + reason);
    }

} // namespace

PlateReader::PlateReader(const InputClip& clip, const PlateKind& kind)
    : isMovie(clip.isMovie())
    , kind(kind)
{
}

PlateReader::PlateReader(const OIIO::ImageSpec& clipSpec, const PlateKind& kind)
    : isMovie(LensCorrect::isMovie(clipSpec))
    , kind(kind)
{
}

PlateReader::~PlateReader() = default;

Plate PlateReader::read(const InputFrame& frame)
{
    std::unique_ptr<OIIO::ImageInput> file;
    OIIO::ImageInput* image = nullptr;
    if (isMovie)
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
    // A movie's subimages are its frames; a file's are the parts of one frame.
    std::vector<OIIO::ImageSpec> specs;
    if (isMovie)
    {
        if (!image->seek_subimage(frame.subimage, 0))
        {
            throw unreadable(frame, image->geterror());
        }
        specs.push_back(image->spec());
    }
    else
    {
        specs = imageParts(*image);
        if (specs.empty())
        {
            throw unreadable(frame, image->geterror());
        }
    }
    const std::vector<PicturePlace> places = kind.check(frame, specs);

    Plate plate { frame, {} };
    for (size_t index = 0; index < specs.size(); ++index)
    {
        const OIIO::ImageSpec& spec = specs[index];
        const PicturePlace& place = places[index];
        const Size size = place.data.size;
        FrameGeometry::checkFrameSize(size, "input frame");
        std::vector<float> pixels(size.pixels() * size_t(spec.nchannels));
        const int subimage = isMovie ? frame.subimage : int(index);
        if (!image->read_image(subimage, 0, 0, spec.nchannels, OIIO::TypeFloat, pixels.data()))
        {
            throw unreadable(frame, image->geterror());
        }
        const PartKind& part = kind.parts()[index];
        std::vector<RgbaImage> groups = part.layout.split(pixels.data(), size);
        for (RgbaImage& group : groups)
        {
            // Converted before it is placed: the empty rest of the picture is empty in linear
            // light, whatever the file's encoding makes of zero.
            part.colour.toLinear(group);
            if (place.data != place.picture)
            {
                group = placedCopy(group, place.picture.size, place.dataOffset());
            }
        }
        plate.parts.push_back({ spec, place, std::move(groups) });
    }
    return plate;
}

} // namespace LensCorrect
