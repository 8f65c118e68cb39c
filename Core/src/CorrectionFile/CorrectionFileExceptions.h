// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Exception/Exception.h"

namespace CorrectionFile
{

class NotReadableException : public Exception
{
public:
    explicit NotReadableException(const std::string& filePath);

private:
    [[maybe_unused]] std::string filePath;
};

class InvalidFormatException : public Exception
{
public:
    explicit InvalidFormatException(const std::string& reason);
    InvalidFormatException(uint32_t lineNumber, const std::string& lineContent);

private:
    [[maybe_unused]] uint32_t lineNumber = 0;
    [[maybe_unused]] std::string lineContent;
};

class NotFoundException : public Exception
{
public:
    NotFoundException(
        const std::string& clipFilePath, const std::vector<std::string>& searchedDirectoryPaths);

private:
    [[maybe_unused]] std::string clipFilePath;
    [[maybe_unused]] std::vector<std::string> searchedDirectoryPaths;
};

} // namespace CorrectionFile
