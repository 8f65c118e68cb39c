// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Exception/ClassicNumberReader.h"

#include <algorithm>
#include <locale>

#include <boost/lexical_cast/try_lexical_convert.hpp>

namespace
{

bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The text without its one optional sign.
std::string_view withoutSign(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
    {
        text.remove_prefix(1);
    }
    return text;
}

/// A sign and decimal digits only: lexical_cast then converts as under the classic locale,
/// since there is no character left that the global locale could read as a thousands separator.
bool isPlainInteger(std::string_view text)
{
    const std::string_view digits = withoutSign(text);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), isDigit);
}

template <typename Integer> bool readInteger(std::string_view text, Integer& value)
{
    return isPlainInteger(text)
        && boost::conversion::try_lexical_convert(text.data(), text.size(), value);
}

} // namespace

void ClassicNumberReader::TextBuffer::reset(std::string_view text)
{
    // The stream only reads, so handing it the text's own characters is safe.
    char* begin = const_cast<char*>(text.data());
    setg(begin, begin, begin + text.size());
}

ClassicNumberReader::ClassicNumberReader()
    : stream(&buffer)
{
    stream.imbue(std::locale::classic());
    stream.unsetf(std::ios::skipws);
}

bool ClassicNumberReader::read(std::string_view text, float& value)
{
    if (text.empty())
    {
        return false;
    }
    const std::string_view unsignedText = withoutSign(text);
    const char first = unsignedText.empty() ? '\0' : unsignedText.front();
    if (first == 'i' || first == 'I' || first == 'n' || first == 'N')
    {
        // lexical_cast reads the infinity and NaN forms itself, without any locale, and no text
        // that begins with these letters is a number in any locale.
        return boost::conversion::try_lexical_convert(text.data(), text.size(), value);
    }
    // As lexical_cast: an exponent needs digits, although some streams accept "1e" or "1e+".
    const char last = text.back();
    if (last == 'e' || last == 'E' || last == '+' || last == '-')
    {
        return false;
    }
    buffer.reset(text);
    stream.clear();
    return static_cast<bool>(stream >> value) && stream.peek() == std::istream::traits_type::eof();
}

bool ClassicNumberReader::read(std::string_view text, unsigned int& value)
{
    return readInteger(text, value);
}

bool ClassicNumberReader::read(std::string_view text, int& value)
{
    return readInteger(text, value);
}

bool ClassicNumberReader::read(std::string_view text, bool& value)
{
    return readInteger(text, value);
}
