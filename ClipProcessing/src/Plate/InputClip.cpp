// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/InputClip.h"

#include <OpenImageIO/filesystem.h>

#include "Common/Failure.h"
#include "Plate/FramePattern.h"

namespace LensCorrect
{

namespace
{

    Failure unreadable(const std::string& path, const std::string& reason)
    {
        return Failure("The input cannot be read.", "Path: \"" + path + "\"\nReason: " + reason);
    }

} // namespace

InputClip::InputClip(const std::string& input)
    : inputName(input)
{
    // An existing file is taken by its name, whatever characters that holds.
    const bool isFile = OIIO::Filesystem::is_regular(input);
    if (!isFile && FramePattern(input).hasFrameField())
    {
        listSequence(FramePattern(input));
    }
    else if (!isFile)
    {
        throw unreadable(input, "no such file");
    }
    else
    {
        auto image = OIIO::ImageInput::open(input);
        if (!image)
        {
            throw unreadable(input, OIIO::geterror());
        }
        if (LensCorrect::isMovie(image->spec()))
        {
            movie = true;
            parts = { image->spec() };
            firstFile = input;
            format = image->format_name();
            int count = image->spec().get_int_attribute("oiio:subimages");
            if (count <= 0)
            {
                while (image->seek_subimage(count, 0))
                {
                    ++count;
                }
            }
            for (int frame = 0; frame < count; ++frame)
            {
                inputFrames.push_back({ frame, input, frame });
            }
        }
        else if (const auto sequence = FramePattern::sequenceOfFile(input))
        {
            listSequence(sequence->first);
        }
        else
        {
            parts = imageParts(*image);
            firstFile = input;
            format = image->format_name();
            inputFrames.push_back({ 0, input, 0 });
        }
    }
    if (inputFrames.empty() || parts.empty())
    {
        throw unreadable(input, "it holds no frames");
    }
}

void InputClip::listSequence(const FramePattern& pattern)
{
    for (const auto& [number, path] : pattern.scan())
    {
        inputFrames.push_back({ number, path, 0 });
    }
    if (inputFrames.empty())
    {
        throw Failure("No file of the image sequence exists.",
            "Pattern: \"" + inputName + "\"\nSearched For: \"" + pattern.printfPattern() + "\"");
    }
    std::string reasons;
    for (size_t i = 0; i < inputFrames.size(); ++i)
    {
        std::string reason;
        if (auto image = OIIO::ImageInput::open(inputFrames[i].path))
        {
            parts = imageParts(*image);
            if (!parts.empty())
            {
                firstFile = inputFrames[i].path;
                format = image->format_name();
                return;
            }
            reason = image->geterror();
        }
        else
        {
            reason = OIIO::geterror();
        }
        if (i < 5)
        {
            reasons += "\n" + inputFrames[i].path + ": " + reason;
        }
    }
    throw Failure(
        "No frame of the image sequence can be read.", "Pattern: \"" + inputName + "\"" + reasons);
}

std::vector<OIIO::ImageSpec> imageParts(OIIO::ImageInput& image)
{
    std::vector<OIIO::ImageSpec> parts;
    while (image.seek_subimage(int(parts.size()), 0))
    {
        parts.push_back(image.spec());
    }
    // Seeking past the last part is how the count is found, not an error.
    if (!parts.empty())
    {
        image.geterror();
    }
    return parts;
}

std::vector<std::string> InputClip::files() const
{
    if (movie)
    {
        return { inputName };
    }
    std::vector<std::string> paths;
    for (const InputFrame& frame : inputFrames)
    {
        paths.push_back(frame.path);
    }
    return paths;
}

std::vector<std::pair<int, int>> InputClip::missingFrames() const
{
    std::vector<std::pair<int, int>> missing;
    for (size_t i = 1; i < inputFrames.size(); ++i)
    {
        if (inputFrames[i].number - inputFrames[i - 1].number > 1)
        {
            missing.emplace_back(inputFrames[i - 1].number + 1, inputFrames[i].number - 1);
        }
    }
    return missing;
}

bool isMovie(const OIIO::ImageSpec& spec) { return spec.get_int_attribute("oiio:Movie") != 0; }

} // namespace LensCorrect
