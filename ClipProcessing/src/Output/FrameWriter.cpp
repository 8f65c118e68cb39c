// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Output/FrameWriter.h"

#include <memory>

#include "Common/Failure.h"
#include "Output/DurableFile.h"

namespace LensCorrect
{

namespace
{

    Failure notWritten(const std::string& path, const std::string& reason)
    {
        return Failure(
            "The output image cannot be written.", "Path: \"" + path + "\"\nReason: " + reason);
    }

    std::unique_ptr<OIIO::ImageOutput> createOutput(const std::string& path)
    {
        auto output = OIIO::ImageOutput::create(path);
        if (!output)
        {
            throw Failure("No image format is known for the output's file name extension.",
                "Path: \"" + path + "\"\nReason: " + OIIO::geterror());
        }
        return output;
    }

    void placeWindows(OIIO::ImageSpec& spec, const OIIO::ImageSpec& plate, const Window& dataWindow,
        const OIIO::ImageOutput& output)
    {
        spec.x = dataWindow.x;
        spec.y = dataWindow.y;
        spec.width = int(dataWindow.size.width);
        spec.height = int(dataWindow.size.height);
        spec.z = 0;
        spec.depth = 1;
        spec.full_depth = 1;
        if (std::string(output.format_name()) == "openexr")
        {
            spec.full_x = plate.full_x;
            spec.full_y = plate.full_y;
            spec.full_width = plate.full_width;
            spec.full_height = plate.full_height;
        }
        else
        {
            spec.x = 0;
            spec.y = 0;
            spec.full_x = 0;
            spec.full_y = 0;
            spec.full_width = spec.width;
            spec.full_height = spec.height;
        }
        if (!output.supports("tiles"))
        {
            spec.tile_width = spec.tile_height = spec.tile_depth = 0;
        }
    }

    /// Opens the file with every part's header and writes the parts' pixels, in order.
    bool writeParts(OIIO::ImageOutput& output, const std::string& file,
        const std::vector<FrameWriter::ImagePart>& parts)
    {
        std::vector<OIIO::ImageSpec> specs;
        for (const FrameWriter::ImagePart& part : parts)
        {
            specs.push_back(part.spec);
        }
        if (specs.size() == 1 ? !output.open(file, specs.front())
                              : !output.open(file, int(specs.size()), specs.data()))
        {
            return false;
        }
        for (size_t index = 0; index < parts.size(); ++index)
        {
            if (index > 0
                && !output.open(file, parts[index].spec, OIIO::ImageOutput::AppendSubimage))
            {
                return false;
            }
            if (!output.write_image(OIIO::TypeFloat, parts[index].pixels, parts[index].pixelStride))
            {
                return false;
            }
        }
        return true;
    }

} // namespace

bool FrameWriter::holdsParts(const std::string& path)
{
    return createOutput(path)->supports("multiimage");
}

std::string FrameWriter::formatForPath(const std::string& path)
{
    return createOutput(path)->format_name();
}

OIIO::ImageSpec FrameWriter::frameSpec(const OIIO::ImageSpec& plate, const std::string& plateFormat,
    const Window& dataWindow, const std::string& path, OIIO::TypeDesc dataType)
{
    const auto output = createOutput(path);
    OIIO::ImageSpec spec = plate;
    placeWindows(spec, plate, dataWindow, *output);
    // What described the input file rather than its picture does not travel.
    for (const char* name :
        { "oiio:Movie", "oiio:subimages", "oiio:SubImages", "openexr:chunkCount" })
    {
        spec.erase_attribute(name);
    }
    const bool sameFormat = plateFormat == output->format_name();
    if (dataType != OIIO::TypeUnknown)
    {
        spec.set_format(dataType);
        spec.channelformats.clear();
    }
    if (dataType != OIIO::TypeUnknown || !sameFormat)
    {
        spec.erase_attribute("oiio:BitsPerSample");
    }
    // EXR stores integer data as half; say so, since float files are written in linear light.
    if (std::string(output->format_name()) == "openexr" && !spec.format.is_floating_point())
    {
        spec.set_format(OIIO::TypeHalf);
        spec.channelformats.clear();
    }
    return spec;
}

OIIO::ImageSpec FrameWriter::mapSpec(const OIIO::ImageSpec& plate, const Window& dataWindow,
    const std::string& path, const Provenance& provenance)
{
    const auto output = createOutput(path);
    const std::string format = output->format_name();
    const bool hasFloat = format == "openexr" || format == "tiff";
    OIIO::ImageSpec spec(int(dataWindow.size.width), int(dataWindow.size.height), 4,
        hasFloat ? OIIO::TypeFloat : OIIO::TypeUInt16);
    placeWindows(spec, plate, dataWindow, *output);
    spec.attribute("oiio:ColorSpace", "linear");
    for (const char* name : { "smpte:TimeCode", "FramesPerSecond" })
    {
        if (const OIIO::ParamValue* value = plate.find_attribute(name))
        {
            spec.attribute(name, value->type(), value->data());
        }
    }
    addProvenance(spec, format, provenance);
    return spec;
}

void FrameWriter::write(const std::string& path, const std::vector<ImagePart>& parts)
{
    auto output = createOutput(path);
    DurableFile file(path);
    const bool written = writeParts(*output, file.temporaryPath(), parts);
    const bool closed = output->close();
    if (!written || !closed)
    {
        throw notWritten(path, output->geterror());
    }
    file.install();
}

void FrameWriter::writeFrame(const std::string& path, std::vector<FramePart>& parts,
    const std::string& plateFormat, OIIO::TypeDesc dataType, const Provenance& provenance)
{
    const std::string format = formatForPath(path);
    std::vector<ImagePart> images;
    // Interleaved pixels of the parts whose groups are not already the file's channels.
    std::vector<std::vector<float>> joined;
    joined.reserve(parts.size());
    for (FramePart& part : parts)
    {
        OIIO::ImageSpec spec = frameSpec(part.plate, plateFormat, part.window, path, dataType);
        addProvenance(spec, format, provenance);
        // A float file holds linear light best; an integer one gets the plate's encoding back.
        if (spec.format.is_floating_point() && !part.plate.format.is_floating_point())
        {
            spec.attribute("oiio:ColorSpace", "linear");
        }
        else
        {
            for (RgbaImage& group : part.groups)
            {
                part.colour->fromLinear(group);
            }
        }
        if (part.layout->isRgba())
        {
            images.push_back({ spec, part.groups.front().pixels.data(), 4 * sizeof(float) });
            continue;
        }
        joined.emplace_back(part.window.size.pixels() * size_t(part.layout->channels()));
        part.layout->join(part.groups, joined.back().data());
        images.push_back({ spec, joined.back().data() });
    }
    write(path, images);
}

} // namespace LensCorrect
