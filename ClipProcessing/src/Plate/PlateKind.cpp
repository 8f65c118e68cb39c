// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/PlateKind.h"

#include <OpenImageIO/strutil.h>

#include "Common/Failure.h"
#include "Plate/ClipName.h"
#include "Plate/PicturePlacement.h"

namespace LensCorrect
{

namespace
{

    std::string windowText(const Window& window)
    {
        return std::to_string(window.size.width) + "x" + std::to_string(window.size.height)
            + " px at " + std::to_string(window.x) + ", " + std::to_string(window.y);
    }

    Window displayWindow(const OIIO::ImageSpec& spec)
    {
        return { spec.full_x, spec.full_y,
            { uint32_t(std::max(spec.full_width, 0)), uint32_t(std::max(spec.full_height, 0)) } };
    }

    std::string placeText(const PicturePlace& place)
    {
        return windowText(place.picture)
            + (place.withoutOverscan ? ", " + std::to_string(place.withoutOverscan->width) + "x"
                        + std::to_string(place.withoutOverscan->height) + " px without overscan"
                                     : std::string());
    }

    std::string partName(const OIIO::ImageSpec& spec)
    {
        return spec.get_string_attribute("oiio:subimagename");
    }

    std::string partNames(const std::vector<OIIO::ImageSpec>& parts)
    {
        std::vector<std::string> names;
        for (const OIIO::ImageSpec& part : parts)
        {
            names.push_back("\"" + partName(part) + "\"");
        }
        return OIIO::Strutil::join(names, ", ");
    }

} // namespace

PartKind::PartKind(const OIIO::ImageSpec& spec, const std::string& requestedColorSpace)
    : spec(spec)
    , colour(spec, requestedColorSpace)
    , layout(spec)
{
}

PlateKind::PlateKind(const RunSettings& options, const InputClip& clip)
    : PlateKind(options, clip.firstPath(), clip.firstParts())
{
}

PlateKind::PlateKind(const RunSettings& options, const std::string& firstPath,
    const std::vector<OIIO::ImageSpec>& parts)
    : options(options)
    , partCount(parts.size())
{
    for (size_t index = 0; index < parts.size(); ++index)
    {
        const PicturePlace place = checkPart(firstPath, index, parts[index], nullptr);
        if (index == 0)
        {
            first = place;
        }
        kinds.emplace_back(parts[index], options.colorSpace);
    }
}

std::vector<PicturePlace> PlateKind::check(
    const InputFrame& frame, const std::vector<OIIO::ImageSpec>& parts) const
{
    if (parts.size() != kinds.size())
    {
        throw Failure("The frame has another number of parts than the clip's first frame.",
            "Path: \"" + frame.path + "\"\nParts: " + std::to_string(parts.size()) + " ("
                + partNames(parts) + ")\nFirst Frame Parts: " + std::to_string(kinds.size()));
    }
    std::vector<PicturePlace> places;
    for (size_t index = 0; index < parts.size(); ++index)
    {
        places.push_back(checkPart(frame.path, index, parts[index], &kinds[index].spec));
    }
    return places;
}

std::string PlateKind::partLine(size_t index, const OIIO::ImageSpec& spec) const
{
    if (partCount == 1)
    {
        return std::string();
    }
    const std::string name = partName(spec);
    return "\nPart: " + std::to_string(index + 1) + " of " + std::to_string(partCount)
        + (name.empty() ? std::string() : ", \"" + name + "\"");
}

PicturePlace PlateKind::checkPart(const std::string& path, size_t index,
    const OIIO::ImageSpec& spec, const OIIO::ImageSpec* firstFrame) const
{
    const std::string where = "Path: \"" + path + "\"" + partLine(index, spec) + "\n";
    const auto cannotCorrect = [&](const std::string& reason)
    {
        return Failure(firstFrame ? "A part of the frame cannot be corrected."
                                  : "A part of the plate's frames cannot be corrected.",
            where + "Reason: " + reason);
    };
    if (spec.deep)
    {
        throw cannotCorrect("it holds deep data (samples at many depths), not a picture");
    }
    if (spec.depth > 1)
    {
        throw cannotCorrect("it is a volume, not a picture");
    }
    if (firstFrame)
    {
        const auto differs = [&](const std::string& property, const std::string& value,
                                 const std::string& firstValue, const std::string& hint)
        {
            return Failure("The frame's " + property + " differs from the clip's first frame.",
                where + "Frame: " + value + "\nFirst Frame: " + firstValue
                    + (hint.empty() ? std::string() : "\nHint: " + hint));
        };
        if (partName(spec) != partName(*firstFrame))
        {
            throw differs(
                "part name", "\"" + partName(spec) + "\"", "\"" + partName(*firstFrame) + "\"", "");
        }
        if (spec.channelnames != firstFrame->channelnames
            || spec.alpha_channel != firstFrame->alpha_channel)
        {
            throw differs("channel naming", OIIO::Strutil::join(spec.channelnames, ", "),
                OIIO::Strutil::join(firstFrame->channelnames, ", "), "");
        }
        const std::string space = ColorConversion::colorSpaceOf(spec, options.colorSpace);
        const std::string firstSpace
            = ColorConversion::colorSpaceOf(*firstFrame, options.colorSpace);
        if (space != firstSpace)
        {
            throw differs("colour space", space + " (" + spec.format.c_str() + ")",
                firstSpace + " (" + firstFrame->format.c_str() + ")",
                "--colorspace names the colour space of every frame");
        }
    }
    const PicturePlace place = picturePlace(options, spec);
    if (!firstFrame)
    {
        if (index > 0
            && (place.picture != first.picture || place.withoutOverscan != first.withoutOverscan))
        {
            throw cannotCorrect("its picture (" + placeText(place) + ") is not the first part's ("
                + placeText(first) + ")");
        }
        return place;
    }
    // The display window places the optical centre, so it must stay where it was too.
    if (place.picture != first.picture || place.withoutOverscan != first.withoutOverscan
        || displayWindow(spec) != displayWindow(*firstFrame))
    {
        throw Failure("The frame's picture differs from the clip's first frame.",
            where + "Frame: " + placeText(place) + "; display window "
                + windowText(displayWindow(spec)) + ", data window " + windowText(place.data)
                + "\nFirst Frame: " + placeText(first) + "; display window "
                + windowText(displayWindow(*firstFrame)));
    }
    return place;
}

} // namespace LensCorrect
