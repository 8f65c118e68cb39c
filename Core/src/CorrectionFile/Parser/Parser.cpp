// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionFile/Parser/Parser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <boost/algorithm/string/find_iterator.hpp>
#include <boost/algorithm/string/finder.hpp>
#include <boost/algorithm/string/iter_find.hpp>
#include <boost/range/iterator_range.hpp>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "Exception/ClassicNumberReader.h"

namespace
{

using CorrectionData::Frame;
using CorrectionData::Header;
using TextRange = boost::iterator_range<const char*>;
using SplitIterator = boost::algorithm::split_iterator<const char*>;

const std::string_view headerStartLine = "HEADER_START";
const std::string_view headerEndLine = "HEADER_END";
const std::string_view headerSeparator = ":=";
const std::string_view bodyMarker = "frame;shading;radialDistortion;";
constexpr char fieldSeparator = ';';
constexpr char valueSeparator = ',';

constexpr std::size_t frameNumberField = 0;
constexpr std::size_t shadingField = 1;
constexpr std::size_t radialDistortionField = 2;
constexpr std::size_t timecodeField = 8;
constexpr float maxShading = 100.0f;
constexpr float maxRadialDistortion = 100.0f;

std::string_view view(const TextRange& range)
{
    return std::string_view(range.begin(), range.size());
}

/// Finds a one-character separator with memchr; the generic finders of Boost.Algorithm compare
/// character by character, which costs a good part of the parse on long files.
struct CharacterFinder
{
    char separator;

    TextRange operator()(const char* begin, const char* end) const
    {
        const void* found = std::memchr(begin, separator, static_cast<std::size_t>(end - begin));
        if (!found)
        {
            return TextRange(end, end);
        }
        const char* position = static_cast<const char*>(found);
        return TextRange(position, position + 1);
    }
};

SplitIterator splitIterator(std::string_view text, char separator)
{
    return SplitIterator(text.data(), text.data() + text.size(), CharacterFinder { separator });
}

/// The lines of a text: split at line feeds, every carriage return dropped, numbered from 1
/// counting every line of the text.
class LineReader
{
public:
    explicit LineReader(const std::string& text)
        : position(splitIterator(text, '\n'))
    {
    }

    /// Moves to the next line; false after the last one.
    bool next()
    {
        if (position == SplitIterator())
        {
            return false;
        }
        ++lineNumber;
        current = view(*position);
        ++position;
        if (std::memchr(current.data(), '\r', current.size()))
        {
            withoutCarriageReturns.clear();
            std::remove_copy(
                current.begin(), current.end(), std::back_inserter(withoutCarriageReturns), '\r');
            current = withoutCarriageReturns;
        }
        return true;
    }

    std::string_view line() const { return current; }
    uint32_t number() const { return lineNumber; }

    [[noreturn]] void fail() const
    {
        throw CorrectionFile::InvalidFormatException(lineNumber, std::string(current));
    }

private:
    SplitIterator position;
    std::string withoutCarriageReturns;
    std::string_view current;
    uint32_t lineNumber = 0;
};

/// One header key with the field it fills.
struct HeaderField
{
    const char* key;
    std::variant<std::string Header::*, uint16_t Header::*, uint32_t Header::*, float Header::*,
        bool Header::*>
        field;
};

// All of them are required, and in this order the first missing one is reported.
const std::array<HeaderField, 19> headerFields = { {
    { "lensManufacturer", &Header::lensManufacturer },
    { "lensTypeName", &Header::lensTypeName },
    { "lensSerialNumber", &Header::lensSerialNumber },
    { "lensMinFocalLength", &Header::lensMinFocalLength },
    { "lensMaxFocalLength", &Header::lensMaxFocalLength },
    { "cameraManufacturer", &Header::cameraManufacturer },
    { "cameraModel", &Header::cameraModel },
    { "sensorWidth", &Header::sensorWidth },
    { "clipName", &Header::clipName },
    { "videoFileName", &Header::videoFileName },
    { "clipDurationFrames", &Header::clipDurationFrames },
    { "clipWidth", &Header::clipWidth },
    { "clipHeight", &Header::clipHeight },
    { "tcFps", &Header::tcFps },
    { "tcDrop", &Header::tcDrop },
    { "enableLensShadingCorrection", &Header::enableLensShadingCorrection },
    { "shadingGamma", &Header::shadingGamma },
    { "enableLensDistortionCorrection", &Header::enableLensDistortionCorrection },
    { "distortionZoom", &Header::distortionZoom },
} };

/// Converts a header value into its field; a value that does not convert leaves 0 or false.
class HeaderFieldAssigner
{
public:
    HeaderFieldAssigner(Header& header, const std::string& value, ClassicNumberReader& numbers)
        : header(header)
        , value(value)
        , numbers(numbers)
    {
    }

    void operator()(std::string Header::*field) const { header.*field = value; }

    void operator()(uint16_t Header::*field) const
    {
        // Focal lengths are read as unsigned int; only the low 16 bits are kept.
        unsigned int number = 0;
        header.*field = numbers.read(value, number) ? static_cast<uint16_t>(number) : 0;
    }

    template <typename Number> void operator()(Number Header::*field) const
    {
        Number number {};
        header.*field = numbers.read(value, number) ? number : Number {};
    }

private:
    Header& header;
    const std::string& value;
    ClassicNumberReader& numbers;
};

bool skipToLine(LineReader& lines, std::string_view wanted)
{
    while (lines.next())
    {
        if (lines.line() == wanted)
        {
            return true;
        }
    }
    return false;
}

std::string headerKeyReason(const char* key, const char* problem)
{
    return std::string("Header entry with key \"") + key + "\" " + problem;
}

/// One of the two six-value fields of frame lines. Keeps the texts of the line before: a lens
/// that is not touched gives the same values line after line (and the values at the centre
/// never change), so a text seen in the same column just before is not converted again.
class SixValueField
{
public:
    SixValueField(float minimum, float maximum)
        : minimum(minimum)
        , maximum(maximum)
    {
    }

    /// False for any count but six, a value that does not convert, or one outside [minimum,
    /// maximum] (NaN included).
    bool read(std::string_view field, ClassicNumberReader& numbers, std::array<float, 6>& values)
    {
        std::size_t count = 0;
        for (SplitIterator value = splitIterator(field, valueSeparator); value != SplitIterator();
             ++value, ++count)
        {
            if (count == values.size() || !readValue(count, view(*value), numbers))
            {
                return false;
            }
            values[count] = previousValues[count];
        }
        return count == values.size();
    }

private:
    bool readValue(std::size_t column, std::string_view text, ClassicNumberReader& numbers)
    {
        if (!previousTexts[column] || text != *previousTexts[column])
        {
            float value = 0.0f;
            if (!numbers.read(text, value) || !(value >= minimum && value <= maximum))
            {
                previousTexts[column].reset();
                return false;
            }
            previousTexts[column].emplace().assign(text.data(), text.size());
            previousValues[column] = value;
        }
        return true;
    }

    float minimum;
    float maximum;
    std::array<std::optional<std::string>, 6> previousTexts;
    std::array<float, 6> previousValues {};
};

} // namespace

namespace CorrectionFile
{

void Parser::parse(const std::string& text, CorrectionData::Content& content) const
{
    CorrectionData::Content parsed {};
    parseHeader(text, parsed.header);
    parseBody(text, parsed.frames);
    content = std::move(parsed);
}

void Parser::parseHeader(const std::string& text, CorrectionData::Header& header) const
{
    LineReader lines(text);
    if (!skipToLine(lines, headerStartLine))
    {
        throw InvalidFormatException("Header start could not be found.");
    }

    std::map<std::string, std::string, std::less<>> entries;
    std::vector<TextRange> parts;
    bool ended = false;
    while (!ended && lines.next())
    {
        const std::string_view line = lines.line();
        ended = line == headerEndLine;
        if (ended || line.empty())
        {
            continue;
        }
        boost::algorithm::iter_split(parts, TextRange(line.data(), line.data() + line.size()),
            boost::algorithm::first_finder(TextRange(
                headerSeparator.data(), headerSeparator.data() + headerSeparator.size())));
        if (parts.size() != 2)
        {
            lines.fail();
        }
        // The first occurrence of a key wins.
        entries.emplace(std::string(view(parts[0])), std::string(view(parts[1])));
    }
    if (!ended)
    {
        throw InvalidFormatException("Header end could not be found.");
    }

    for (const HeaderField& headerField : headerFields)
    {
        if (entries.find(headerField.key) == entries.end())
        {
            throw InvalidFormatException(headerKeyReason(headerField.key, "was not found.\n"));
        }
    }

    Header parsed {};
    ClassicNumberReader numbers;
    for (const HeaderField& headerField : headerFields)
    {
        std::visit(HeaderFieldAssigner(parsed, entries.find(headerField.key)->second, numbers),
            headerField.field);
    }
    if (parsed.videoFileName.empty())
    {
        throw InvalidFormatException(headerKeyReason("videoFileName", "does not have a value."));
    }
    // Not merely "> 0": NaN and infinity would poison every timecode computed from the rate.
    if (!(parsed.tcFps > 0.0f) || !std::isfinite(parsed.tcFps))
    {
        throw InvalidFormatException(headerKeyReason("tcFps", "does not have a valid value."));
    }
    header = std::move(parsed);
}

void Parser::parseBody(const std::string& text, std::map<uint32_t, Frame>& frames) const
{
    FrameLines lines(text);
    std::map<uint32_t, Frame> parsed;
    ClassicNumberReader numbers;
    SixValueField shading(0.0f, maxShading);
    SixValueField radialDistortion(-maxRadialDistortion, maxRadialDistortion);
    Frame frame;
    while (lines.next())
    {
        if (!shading.read(lines.field(shadingField), numbers, frame.shading)
            || !radialDistortion.read(
                lines.field(radialDistortionField), numbers, frame.radialDistortion))
        {
            lines.fail();
        }
        frame.frameNumber = lines.frameNumber();
        const std::string_view timecode = lines.field(timecodeField);
        frame.timecode.assign(timecode.begin(), timecode.end());
        std::replace(frame.timecode.begin(), frame.timecode.end(), '.', ':');
        // Frame lines usually come in ascending order, so the end is the right hint; a later
        // line with the same number replaces the earlier one.
        parsed.insert_or_assign(parsed.end(), frame.frameNumber, frame);
    }
    frames = std::move(parsed);
}

/// The text's lines with the reader of the numbers in them.
class FrameLines::Lines
{
public:
    explicit Lines(const std::string& text)
        : lines(text)
    {
    }

    LineReader lines;
    ClassicNumberReader numbers;
};

FrameLines::FrameLines(const std::string& text)
    : lines(std::make_unique<Lines>(text))
{
    bool markerFound = false;
    while (!markerFound && lines->lines.next())
    {
        markerFound = lines->lines.line().substr(0, bodyMarker.size()) == bodyMarker;
    }
    if (!markerFound)
    {
        throw InvalidFormatException("Body start could not be found.");
    }
}

FrameLines::~FrameLines() = default;

bool FrameLines::next()
{
    LineReader& reader = lines->lines;
    do
    {
        if (!reader.next())
        {
            return false;
        }
    } while (reader.line().empty());
    std::size_t count = 0;
    for (SplitIterator field = splitIterator(reader.line(), fieldSeparator);
         field != SplitIterator() && count < fields.size(); ++field)
    {
        fields[count++] = view(*field);
    }
    int frameNumber = 0;
    if (count < fields.size() || !lines->numbers.read(fields[frameNumberField], frameNumber)
        || frameNumber < 0)
    {
        reader.fail();
    }
    number = static_cast<uint32_t>(frameNumber);
    return true;
}

void FrameLines::fail() const { lines->lines.fail(); }

} // namespace CorrectionFile
