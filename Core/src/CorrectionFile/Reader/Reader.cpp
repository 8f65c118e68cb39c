// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionFile/Reader/Reader.h"

#include <fstream>

#include <boost/filesystem/operations.hpp>

#include "CorrectionFile/CorrectionFileExceptions.h"

namespace CorrectionFile
{

void Reader::readFile(const std::string& filePath, std::string& fileContent) const
{
    // A directory opens for reading here and its end position is a huge number rather than a
    // size, so it must be turned away before anything is allocated.
    boost::system::error_code ignored;
    std::ifstream stream(filePath, std::ios::in | std::ios::binary | std::ios::ate);
    if (!stream || boost::filesystem::is_directory(filePath, ignored))
    {
        throw NotReadableException(filePath);
    }
    const std::streamoff size = stream.tellg();
    if (size < 0)
    {
        throw NotReadableException(filePath);
    }
    std::string content(static_cast<std::size_t>(size), '\0');
    stream.seekg(0);
    // A read that fails half-way (an I/O error, the file shrinking meanwhile) is no whole file.
    if (!stream.read(content.data(), size))
    {
        throw NotReadableException(filePath);
    }
    fileContent = std::move(content);
}

} // namespace CorrectionFile
