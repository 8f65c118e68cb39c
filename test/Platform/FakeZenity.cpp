// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Platform/FakeZenity.h"

#include <cstdlib>
#include <fstream>

#include <boost/filesystem.hpp>

namespace TestSupport
{

namespace
{

    std::string currentPath()
    {
        const char* path = std::getenv("PATH");
        return path ? path : "";
    }

} // namespace

FakeZenity::FakeZenity(const std::string& body)
    : previousPath(currentPath())
{
    const boost::filesystem::path directory = boost::filesystem::temp_directory_path()
        / boost::filesystem::unique_path("fake-zenity-%%%%-%%%%-%%%%");
    boost::filesystem::create_directories(directory);
    directoryPath = directory.string();
    const boost::filesystem::path script = directory / "zenity";
    std::ofstream(script.string()) << "#!/bin/sh\n" << body << "\n";
    boost::filesystem::permissions(script,
        boost::filesystem::owner_all | boost::filesystem::group_read
            | boost::filesystem::group_exe);
    ::setenv("PATH", (directoryPath + ":" + previousPath).c_str(), 1);
}

FakeZenity::~FakeZenity()
{
    ::setenv("PATH", previousPath.c_str(), 1);
    boost::system::error_code ignored;
    boost::filesystem::remove_all(directoryPath, ignored);
}

std::string FakeZenity::choosing(const std::string& path)
{
    return "printf '%s\\n' '" + path + "'";
}

PathOnly::PathOnly(const std::string& directory)
    : previousPath(currentPath())
{
    ::setenv("PATH", directory.c_str(), 1);
}

PathOnly::~PathOnly() { ::setenv("PATH", previousPath.c_str(), 1); }

} // namespace TestSupport
