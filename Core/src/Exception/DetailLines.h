// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <locale>
#include <sstream>
#include <string>

namespace ExceptionDetail
{

/// The values written one after the other as error texts show them, whatever locale the host
/// process set: floats with six significant digits, integers in decimal without grouping.
template <typename... Values> std::string text(const Values&... values)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    (stream << ... << values);
    return stream.str();
}

/// Composes the labelled detail lines of an error: one line per call, '\n' between lines and
/// none after the last. Values go through a default-formatted stream, so floats print with six
/// significant digits (23.976, 29.97, 25).
class DetailLines
{
public:
    /// Label, then the value between double quotes; nothing is escaped.
    DetailLines& quoted(const char* label, const std::string& value);

    /// Label followed directly by the value.
    template <typename T> DetailLines& unquoted(const char* label, const T& value)
    {
        beginLine();
        stream << label << value;
        return *this;
    }

    std::string str() const { return stream.str(); }

private:
    void beginLine();

    std::ostringstream stream;
    bool empty = true;
};

} // namespace ExceptionDetail
