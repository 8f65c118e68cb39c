// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <istream>
#include <streambuf>
#include <string_view>

/// Text to number by the conversion rules of Boost.LexicalCast, always under the classic locale.
///
/// The rules: the whole text converts, without blanks; one leading '+' or '-'; integers in
/// decimal, where a negative text wraps round for unsigned types ("-1" is the largest value);
/// bool from "0" or "1" with optional leading zeros ("-0" and "+1" included); floats in fixed or
/// exponent form, with no dangling exponent ("1e", "1e+"), or "inf", "infinity" and "nan" in any
/// case. The locale: '.' is the decimal point and digits are never grouped. lexical_cast itself
/// reads through the global locale, which the host process may have set, so it would accept the
/// host's thousands separators ("1.920" as 1920) and refuse a decimal point under a decimal comma.
///
/// Every text-to-number conversion of the library goes through this reader. Reusable; one reader
/// is not for concurrent use.
class ClassicNumberReader
{
public:
    ClassicNumberReader();
    ClassicNumberReader(const ClassicNumberReader&) = delete;
    ClassicNumberReader& operator=(const ClassicNumberReader&) = delete;

    /// false when the text does not convert; value is then unspecified.
    bool read(std::string_view text, float& value);
    bool read(std::string_view text, unsigned int& value);
    bool read(std::string_view text, int& value);
    bool read(std::string_view text, bool& value);

private:
    /// Serves the characters of a text to the stream without copying them.
    class TextBuffer : public std::streambuf
    {
    public:
        void reset(std::string_view text);
    };

    TextBuffer buffer;
    std::istream stream;
};
