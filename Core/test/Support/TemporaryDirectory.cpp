// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/TemporaryDirectory.h"

#include <fstream>
#include <stdexcept>

#include <boost/filesystem.hpp>

namespace fs = boost::filesystem;

namespace TestSupport
{

TemporaryDirectory::TemporaryDirectory()
{
    const fs::path path = fs::temp_directory_path() / fs::unique_path("lc-test-%%%%-%%%%-%%%%");
    fs::create_directories(path);
    directoryPath = path.string();
}

TemporaryDirectory::~TemporaryDirectory()
{
    boost::system::error_code ignored;
    fs::permissions(directoryPath, fs::add_perms | fs::owner_all, ignored);
    fs::remove_all(directoryPath, ignored);
}

std::string TemporaryDirectory::writeFile(
    const std::string& relativePath, const std::string& content) const
{
    const fs::path path = fs::path(directoryPath) / relativePath;
    fs::create_directories(path.parent_path());
    std::ofstream stream(path.string(), std::ios::binary | std::ios::trunc);
    stream << content;
    if (!stream)
    {
        throw std::runtime_error("cannot write test file " + path.string());
    }
    return path.string();
}

std::string TemporaryDirectory::makeDirectory(const std::string& relativePath) const
{
    const fs::path path = fs::path(directoryPath) / relativePath;
    fs::create_directories(path);
    return path.string();
}

} // namespace TestSupport
