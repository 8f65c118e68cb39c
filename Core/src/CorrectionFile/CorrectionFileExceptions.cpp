// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionFile/CorrectionFileExceptions.h"

#include "Exception/DetailLines.h"

namespace CorrectionFile
{

namespace
{
    const char* const notReadableBrief = "Correction file could not be read.";
    const char* const invalidFormatBrief
        = "Correction file could not be parsed due to an invalid format.";
    const char* const notFoundBrief = "Correction file could not be found.";

    std::string searchedDirectoriesDetails(
        const std::string& clipFilePath, const std::vector<std::string>& searchedDirectoryPaths)
    {
        ExceptionDetail::DetailLines lines;
        lines.quoted("Clip File Path: ", clipFilePath);
        lines.unquoted("Searched Directory Paths:", "");
        for (const auto& path : searchedDirectoryPaths)
        {
            lines.quoted("\t", path);
        }
        return lines.str();
    }
} // namespace

NotReadableException::NotReadableException(const std::string& filePath)
    : Exception(
        notReadableBrief, ExceptionDetail::DetailLines().quoted("File Path: ", filePath).str())
    , filePath(filePath)
{
}

InvalidFormatException::InvalidFormatException(const std::string& reason)
    : Exception(
        invalidFormatBrief, ExceptionDetail::DetailLines().unquoted("Reason: ", reason).str())
{
}

InvalidFormatException::InvalidFormatException(uint32_t lineNumber, const std::string& lineContent)
    : Exception(invalidFormatBrief,
        ExceptionDetail::DetailLines()
            .unquoted("Line Number: ", lineNumber)
            .quoted("Line Content: ", lineContent)
            .str())
    , lineNumber(lineNumber)
    , lineContent(lineContent)
{
}

NotFoundException::NotFoundException(
    const std::string& clipFilePath, const std::vector<std::string>& searchedDirectoryPaths)
    : Exception(notFoundBrief, searchedDirectoriesDetails(clipFilePath, searchedDirectoryPaths))
    , clipFilePath(clipFilePath)
    , searchedDirectoryPaths(searchedDirectoryPaths)
{
}

} // namespace CorrectionFile
