// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/FramePattern.h"

#include <algorithm>
#include <charconv>

#include <OpenImageIO/filesystem.h>

#include "Common/Failure.h"

namespace LensCorrect
{

namespace
{

    constexpr int maximumPadding = 10;
    // Longer digit runs do not fit a frame number (an int); such a name is not a frame of a
    // sequence but, say, a date and time.
    constexpr size_t maximumFrameDigits = 9;

    std::string escapePercent(const std::string& text)
    {
        std::string escaped;
        for (const char character : text)
        {
            escaped += character;
            if (character == '%')
            {
                escaped += '%';
            }
        }
        return escaped;
    }

    Failure malformed(const std::string& pattern, const std::string& reason)
    {
        return Failure(
            "The file name pattern is not usable: " + reason + ".", "Pattern: \"" + pattern + "\"");
    }

} // namespace

FramePattern::FramePattern(const std::string& pattern)
{
    // A NUL would end the path early in every C interface below.
    if (pattern.find('\0') != std::string::npos)
    {
        throw malformed(pattern, "it holds a NUL character");
    }
    const size_t separator = pattern.rfind('/');
    directory = separator == std::string::npos ? std::string() : pattern.substr(0, separator + 1);
    const std::string name = pattern.substr(directory.size());
    if (name.empty())
    {
        throw malformed(pattern, "it names a directory, not a file");
    }

    // OpenImageIO's own pattern parser reads every '#' as four digits; compositors mean one digit
    // per '#', so the field is found here and only the printf form goes to OpenImageIO.
    std::string literal;
    for (size_t i = 0; i < name.size();)
    {
        const char character = name[i];
        size_t length = 0;
        int padding = 0;
        if (character == '#' || character == '@')
        {
            const size_t end = name.find_first_not_of("#@", i);
            length = (end == std::string::npos ? name.size() : end) - i;
            padding = int(std::min<size_t>(length, maximumPadding + 1));
        }
        else if (character == '%')
        {
            if (i + 1 < name.size() && name[i + 1] == '%')
            {
                literal += '%';
                i += 2;
                continue;
            }
            size_t end = i + 1;
            const bool zeroPadded = end < name.size() && name[end] == '0';
            end += zeroPadded ? 1 : 0;
            const size_t digitsBegin = end;
            while (end < name.size() && name[end] >= '0' && name[end] <= '9')
            {
                ++end;
            }
            if (end >= name.size() || name[end] != 'd' || (!zeroPadded && end != digitsBegin)
                || end - digitsBegin > 2)
            {
                throw malformed(pattern,
                    "a '%' must start a frame number field such as \"%04d\" or \"%d\", or be "
                    "written \"%%\"");
            }
            std::from_chars(name.data() + digitsBegin, name.data() + end, padding);
            length = end + 1 - i;
        }
        else
        {
            literal += character;
            ++i;
            continue;
        }
        if (hasField)
        {
            throw malformed(pattern, "it has more than one frame number field");
        }
        if (padding > maximumPadding)
        {
            throw malformed(pattern, "a frame number field has more than 10 digits");
        }
        hasField = true;
        fieldPadding = padding;
        prefix = literal;
        literal.clear();
        i += length;
    }
    if (hasField)
    {
        suffix = literal;
    }
    else
    {
        prefix.clear();
        suffix = literal;
    }
}

std::optional<std::pair<FramePattern, int>> FramePattern::sequenceOfFile(const std::string& path)
{
    if (path.find('\0') != std::string::npos)
    {
        return std::nullopt;
    }
    const size_t separator = path.rfind('/');
    const size_t nameBegin = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = path.rfind('.');
    const size_t stemEnd = dot == std::string::npos || dot < nameBegin ? path.size() : dot;
    size_t digitsBegin = stemEnd;
    while (digitsBegin > nameBegin && path[digitsBegin - 1] >= '0' && path[digitsBegin - 1] <= '9')
    {
        --digitsBegin;
    }
    const size_t digits = stemEnd - digitsBegin;
    if (digits == 0 || digits > maximumFrameDigits)
    {
        return std::nullopt;
    }
    int frame = 0;
    std::from_chars(path.data() + digitsBegin, path.data() + stemEnd, frame);

    FramePattern pattern;
    pattern.directory = path.substr(0, nameBegin);
    pattern.prefix = path.substr(nameBegin, digitsBegin - nameBegin);
    pattern.suffix = path.substr(stemEnd);
    pattern.hasField = true;
    pattern.fieldPadding = int(digits);
    return std::make_pair(pattern, frame);
}

std::string FramePattern::printfPattern() const
{
    std::string field;
    if (hasField)
    {
        // "%01d" rather than "%d": the sequence scan parses only the padded form.
        field = "%0" + std::to_string(std::max(fieldPadding, 1)) + "d";
    }
    return escapePercent(directory + prefix) + field + escapePercent(suffix);
}

std::string FramePattern::path(int frame) const
{
    if (!hasField)
    {
        return directory + suffix;
    }
    std::vector<std::string> paths;
    OIIO::Filesystem::enumerate_file_sequence(printfPattern(), { frame }, paths);
    return paths.empty() ? std::string() : paths.front();
}

std::vector<std::pair<int, std::string>> FramePattern::scan() const
{
    std::vector<std::pair<int, std::string>> files;
    if (!hasField)
    {
        if (OIIO::Filesystem::is_regular(directory + suffix))
        {
            files.emplace_back(0, directory + suffix);
        }
        return files;
    }
    if (directory.find('%') != std::string::npos)
    {
        throw malformed(directory + prefix + "#" + suffix,
            "its directory holds a '%', which the sequence scan cannot take literally");
    }
    std::vector<int> numbers;
    std::vector<std::string> paths;
    const std::string searched = directory.empty() ? "./" + printfPattern() : printfPattern();
    if (!OIIO::Filesystem::scan_for_matching_filenames(searched, numbers, paths))
    {
        throw Failure("The directory of the image sequence cannot be read.",
            "Directory: \"" + (directory.empty() ? std::string(".") : directory) + "\"");
    }
    for (size_t i = 0; i < numbers.size() && i < paths.size(); ++i)
    {
        // The scan matches any number of digits; keep the files this pattern would write.
        if (path(numbers[i]) == (directory.empty() ? paths[i].substr(2) : paths[i]))
        {
            files.emplace_back(numbers[i], directory.empty() ? paths[i].substr(2) : paths[i]);
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace LensCorrect
