// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Output/OutputCheck.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include <OpenImageIO/imageio.h>

namespace LensCorrect
{

namespace
{

    const std::string attributePrefix = "lenscorrect:";

    std::string shapeText(int width, int height, int channels)
    {
        return std::to_string(width) + "x" + std::to_string(height) + " px with "
            + std::to_string(channels) + " channels";
    }

    /// The tool's attributes of a header but its version: a frame written by another version
    /// of the tool with the same lens data is as good.
    std::vector<std::pair<std::string, std::string>> provenanceOf(const OIIO::ImageSpec& spec)
    {
        std::vector<std::pair<std::string, std::string>> attributes;
        for (const OIIO::ParamValue& value : spec.extra_attribs)
        {
            const std::string name = value.name().string();
            const std::string text = spec.get_string_attribute(name);
            // An empty value is as good as none: not every format keeps empty texts.
            if (name.compare(0, attributePrefix.size(), attributePrefix) == 0
                && name != "lenscorrect:Version" && !text.empty())
            {
                attributes.emplace_back(name, text);
            }
        }
        std::sort(attributes.begin(), attributes.end());
        return attributes;
    }

    std::string attributesText(const std::vector<std::pair<std::string, std::string>>& attributes)
    {
        std::string text;
        for (const auto& [name, value] : attributes)
        {
            text += (text.empty() ? "" : ", ") + name + " \"" + value + "\"";
        }
        return text.empty() ? "none" : text;
    }

    /// Reads the last row of pixels (the last row of tiles of a tiled file).
    bool readsLastRow(OIIO::ImageInput& input)
    {
        const OIIO::ImageSpec& spec = input.spec();
        const int end = spec.y + spec.height;
        if (spec.tile_width > 0 && spec.tile_height > 0)
        {
            const int begin = spec.y + ((spec.height - 1) / spec.tile_height) * spec.tile_height;
            std::vector<float> pixels(
                size_t(spec.width) * size_t(end - begin) * size_t(spec.nchannels));
            return input.read_tiles(0, 0, spec.x, spec.x + spec.width, begin, end, spec.z,
                spec.z + std::max(spec.depth, 1), 0, spec.nchannels, OIIO::TypeFloat,
                pixels.data());
        }
        std::vector<float> pixels(size_t(spec.width) * size_t(spec.nchannels));
        return input.read_scanlines(
            0, 0, end - 1, end, spec.z, 0, spec.nchannels, OIIO::TypeFloat, pixels.data());
    }

} // namespace

std::string whyNotWritten(const std::string& path, const ExpectedOutput& expected)
{
    std::error_code error;
    if (std::filesystem::file_size(path, error) == 0 && !error)
    {
        return "is empty";
    }
    auto input = OIIO::ImageInput::open(path);
    if (!input)
    {
        return "cannot be read as an image (" + OIIO::geterror() + ")";
    }
    const OIIO::ImageSpec& spec = input->spec();
    if (spec.deep || spec.width != int(expected.size.width)
        || spec.height != int(expected.size.height) || spec.nchannels != expected.channels)
    {
        return "is " + shapeText(spec.width, spec.height, spec.nchannels) + ", not "
            + shapeText(int(expected.size.width), int(expected.size.height), expected.channels);
    }
    const std::string format = input->format_name();
    if (format == "openexr" || format == "png")
    {
        OIIO::ImageSpec written;
        addProvenance(written, format, expected.provenance);
        const auto wanted = provenanceOf(written);
        const auto found = provenanceOf(spec);
        if (found != wanted)
        {
            return "records other lens data or corrections (" + attributesText(found)
                + "), not this run's (" + attributesText(wanted) + ")";
        }
    }
    if (!readsLastRow(*input))
    {
        return "ends before its last row of pixels (" + input->geterror() + ")";
    }
    return std::string();
}

} // namespace LensCorrect
