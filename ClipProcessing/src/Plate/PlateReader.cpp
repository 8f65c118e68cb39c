// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/PlateReader.h"

#include "Common/Failure.h"

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

PlateReader::PlateReader(const InputClip& clip, const PlateKind& kind, FramePool* pool)
    : isMovie(clip.isMovie())
    , kind(kind)
    , pool(pool)
{
}

PlateReader::PlateReader(const OIIO::ImageSpec& clipSpec, const PlateKind& kind, FramePool* pool)
    : isMovie(LensCorrect::isMovie(clipSpec))
    , kind(kind)
    , pool(pool)
{
}

PlateReader::~PlateReader() = default;

RgbaImage PlateReader::take(Size size)
{
    return pool ? pool->take(size) : RgbaImage(size, RgbaImage::Uninitialised {});
}

RgbaImage::Pixels PlateReader::take(size_t floats)
{
    return pool ? pool->takeFloats(floats) : RgbaImage::Pixels(floats);
}

void PlateReader::give(RgbaImage::Pixels&& pixels)
{
    if (pool)
    {
        pool->give(std::move(pixels));
    }
}

void PlateReader::give(RgbaImage&& image) { give(std::move(image.pixels)); }

RgbaImage PlateReader::readRgba(OIIO::ImageInput& image, const InputFrame& frame, int subimage,
    const OIIO::ImageSpec& spec, const PicturePlace& place)
{
    // Decoded straight into its place in the picture: red, green, blue (and alpha) are the
    // image's own four floats, a row of the picture apart.
    RgbaImage group = take(place.picture.size);
    const Size offset = place.dataOffset();
    constexpr OIIO::stride_t pixelStride = 4 * sizeof(float);
    const OIIO::stride_t rowStride = OIIO::stride_t(place.picture.size.width) * pixelStride;
    float* const first = group.pixel(offset.width, offset.height);
    if (!image.read_image(
            subimage, 0, 0, spec.nchannels, OIIO::TypeFloat, first, pixelStride, rowStride))
    {
        throw unreadable(frame, image.geterror());
    }
    if (spec.nchannels == 3)
    {
        const Size size = place.data.size;
        for (uint32_t y = 0; y < size.height; ++y)
        {
            float* pixel = first + size_t(y) * place.picture.size.width * 4;
            for (uint32_t x = 0; x < size.width; ++x, pixel += 4)
            {
                pixel[3] = 1.0f;
            }
        }
    }
    return group;
}

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
        const int subimage = isMovie ? frame.subimage : int(index);
        const PartKind& part = kind.parts()[index];
        std::vector<RgbaImage> groups;
        if (part.layout.isRgba())
        {
            groups.push_back(readRgba(*image, frame, subimage, spec, place));
        }
        else
        {
            RgbaImage::Pixels pixels = take(size.pixels() * size_t(spec.nchannels));
            if (!image->read_image(subimage, 0, 0, spec.nchannels, OIIO::TypeFloat, pixels.data()))
            {
                throw unreadable(frame, image->geterror());
            }
            for (size_t group = 0; group < part.layout.groups(); ++group)
            {
                groups.push_back(take(size));
            }
            part.layout.split(pixels.data(), groups);
            give(std::move(pixels));
        }
        for (RgbaImage& group : groups)
        {
            // Converted before it is placed: the empty rest of the picture is empty in linear
            // light, whatever the file's encoding makes of zero.
            part.colour.toLinear(group);
            if (group.size != place.picture.size)
            {
                RgbaImage placed = placedCopy(group.pixels.data(), group.size, place.picture.size,
                    place.dataOffset(), take(place.picture.size));
                give(std::move(group));
                group = std::move(placed);
            }
            else if (place.data != place.picture)
            {
                zeroOutside(group, size, place.dataOffset());
            }
        }
        plate.parts.push_back({ spec, place, std::move(groups) });
    }
    return plate;
}

} // namespace LensCorrect
