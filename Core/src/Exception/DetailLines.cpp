// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Exception/DetailLines.h"

#include <locale>

namespace ExceptionDetail
{

DetailLines& DetailLines::quoted(const char* label, const std::string& value)
{
    beginLine();
    stream << label << '"' << value << '"';
    return *this;
}

void DetailLines::beginLine()
{
    if (empty)
    {
        // Error texts are the same whatever locale the host process set.
        stream.imbue(std::locale::classic());
        empty = false;
    }
    else
    {
        stream << '\n';
    }
}

} // namespace ExceptionDetail
