// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/PlateMetadata.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "Common/DropFrame.h"
#include "Core/Core.h"
#include "MetadataDatabase/MetadataKeysCsvStringArray.h"
#include "Timecode/Timecode.h"

namespace LensCorrect
{

namespace
{

    /// SMPTE 12M packs the drop-frame flag into bit 6 of the time word.
    constexpr unsigned dropFrameBit = 1u << 6;

    std::string upper(std::string text)
    {
        std::transform(text.begin(), text.end(), text.begin(),
            [](unsigned char c) { return char(std::toupper(c)); });
        return text;
    }

    Failure unusable(const std::string& path, const std::string& attribute, const std::string& what)
    {
        return Failure("The frame's " + what + " attribute cannot be used.",
            "Path: \"" + path + "\"\nAttribute: \"" + attribute + "\"");
    }

    std::optional<float> floatAttribute(const OIIO::ImageSpec& spec, const char* name)
    {
        const OIIO::ParamValue* value = spec.find_attribute(name);
        if (!value || value->type().basetype != OIIO::TypeDesc::FLOAT || value->nvalues() != 1)
        {
            return std::nullopt;
        }
        return value->get_float();
    }

    /// The timecode, rate and clip name of one header. A movie's container keeps its start
    /// timecode as text; image files keep a packed SMPTE time word.
    PlateFrameFacts readFacts(const std::string& path, const OIIO::ImageSpec& spec, bool movie,
        const std::vector<std::string>& clipNameAttributes)
    {
        PlateFrameFacts facts;
        facts.path = path;
        facts.framesPerSecond = spec.get_float_attribute("FramesPerSecond", 0.0f);
        if (!(facts.framesPerSecond > 0.0f) || !std::isfinite(facts.framesPerSecond))
        {
            facts.framesPerSecond = 0.0f;
        }
        facts.focalLength = floatAttribute(spec, "Exif:FocalLength");
        facts.focusDistance = floatAttribute(spec, "Exif:SubjectDistance");

        facts.timecodeAttribute = movie ? "timecode" : "smpte:TimeCode";
        if (const OIIO::ParamValue* value = spec.find_attribute(facts.timecodeAttribute))
        {
            if (movie && value->type() == OIIO::TypeString)
            {
                std::string text = value->get_string();
                facts.dropFrame = text.find(';') != std::string::npos;
                std::replace(text.begin(), text.end(), ';', ':');
                facts.timecode = text;
            }
            else if (!movie && value->type() == OIIO::TypeTimeCode)
            {
                facts.dropFrame
                    = (static_cast<const unsigned*>(value->data())[0] & dropFrameBit) != 0;
                std::string text = spec.metadata_val(*value);
                std::replace(text.begin(), text.end(), ';', ':');
                facts.timecode = text;
            }
            else
            {
                facts.timecodeFailure = unusable(path, facts.timecodeAttribute, "timecode");
            }
        }
        for (const std::string& attribute : clipNameAttributes)
        {
            const OIIO::ParamValue* value = spec.find_attribute(attribute);
            if (!value)
            {
                continue;
            }
            facts.clipNameAttribute = attribute;
            if (value->type() != OIIO::TypeString || value->get_string().empty())
            {
                facts.clipNameFailure = unusable(path, attribute, "clip name");
                break;
            }
            facts.clipName = value->get_string();
            break;
        }
        return facts;
    }

} // namespace

PlateMetadata::PlateMetadata(
    const InputClip& clip, const std::vector<std::string>& clipNameAttributes)
{
    const bool movie = isMovie(clip.firstSpec());
    if (movie)
    {
        // One header for the whole movie; each frame counts on from its start timecode.
        const PlateFrameFacts start
            = readFacts(clip.name(), clip.firstSpec(), true, clipNameAttributes);
        std::optional<Timecode::Timecode> startTimecode;
        const uint32_t perSecond = DropFrame::perSecond(start.framesPerSecond);
        if (start.timecode && start.framesPerSecond > 0.0f
            && (!start.dropFrame || DropFrame::droppedPerMinute(perSecond)))
        {
            try
            {
                startTimecode = Timecode::Timecode(start.timecode->c_str(), start.framesPerSecond);
            }
            catch (const std::exception&)
            {
            }
        }
        if (startTimecode && start.dropFrame && DropFrame::leftOut(*startTimecode, perSecond))
        {
            startTimecode.reset();
        }
        for (const InputFrame& frame : clip.frames())
        {
            PlateFrameFacts facts = start;
            if (startTimecode && start.dropFrame)
            {
                // Drop-frame labels leave some out each minute: count on as the camera did.
                facts.timecode = DropFrame::label(
                    DropFrame::count(*startTimecode, perSecond) + uint64_t(frame.subimage),
                    start.framesPerSecond)
                                     .string(false);
            }
            else if (startTimecode)
            {
                facts.timecode = (*startTimecode + uint32_t(frame.subimage)).string(false);
            }
            else if (start.timecode && !facts.timecodeFailure)
            {
                facts.timecodeFailure = Failure("The movie's start timecode cannot be counted on.",
                    "Path: \"" + clip.name() + "\"\nAttribute: \"timecode\"\nTimecode: \""
                        + *start.timecode
                        + "\"\nFrame Rate: " + std::to_string(start.framesPerSecond)
                        + (start.dropFrame ? " (drop-frame)" : ""));
            }
            facts.path = clip.name();
            this->facts.emplace(frame.number, std::move(facts));
        }
        return;
    }
    for (const InputFrame& frame : clip.frames())
    {
        auto image = OIIO::ImageInput::open(frame.path);
        if (!image)
        {
            // That frame fails, as it would when read; the others go on under --keep-going.
            PlateFrameFacts unreadable;
            unreadable.path = frame.path;
            unreadable.timecodeFailure = Failure("The frame cannot be read.",
                "Path: \"" + frame.path + "\"\nReason: " + OIIO::geterror());
            facts.emplace(frame.number, std::move(unreadable));
            continue;
        }
        facts.emplace(
            frame.number, readFacts(frame.path, image->spec(), false, clipNameAttributes));
    }
}

bool PlateMetadata::hasTimecode() const
{
    return std::any_of(facts.begin(), facts.end(),
        [](const auto& entry) { return entry.second.timecode.has_value(); });
}

std::string PlateMetadata::containerName(const InputClip& clip)
{
    if (isMovie(clip.firstSpec()))
    {
        const std::string extension = std::filesystem::path(clip.name()).extension().string();
        return upper(extension.empty() ? extension : extension.substr(1));
    }
    const std::string format = clip.formatName();
    return format == "openexr" ? "EXR" : upper(format);
}

std::vector<std::string> PlateMetadata::clipNameAttributes(
    const std::string& manufacturer, const std::string& container)
{
    std::vector<std::string> makers;
    if (!manufacturer.empty())
    {
        makers.push_back(manufacturer);
    }
    else
    {
        // The makers the key table lists; the facade answers for each.
        for (const std::string_view row : MetadataDatabase::metadataKeysCsvStringArray)
        {
            const size_t first = row.find(';');
            const size_t second = row.find(';', first + 1);
            const std::string maker(row.substr(first + 1, second - first - 1));
            if (std::find(makers.begin(), makers.end(), maker) == makers.end())
            {
                makers.push_back(maker);
            }
        }
    }
    std::vector<std::string> attributes;
    for (const std::string& maker : makers)
    {
        char key[256] = {};
        if (!Core::Core::metadataKeyForClipFileName(
                maker.c_str(), container.c_str(), key, sizeof(key)))
        {
            continue;
        }
        const std::string text(key);
        const size_t separator = text.find('/');
        const std::string attribute
            = separator == std::string::npos ? text : text.substr(separator + 1);
        if (!attribute.empty()
            && std::find(attributes.begin(), attributes.end(), attribute) == attributes.end())
        {
            attributes.push_back(attribute);
        }
    }
    return attributes;
}

} // namespace LensCorrect
