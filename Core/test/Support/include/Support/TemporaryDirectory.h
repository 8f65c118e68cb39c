// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace TestSupport
{

/// A fresh directory under the system temporary directory, removed with everything in it when
/// the object goes.
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& path() const { return directoryPath; }

    /// Writes a file (creating parent directories) and returns its full path.
    std::string writeFile(const std::string& relativePath, const std::string& content) const;
    /// Creates a directory (and its parents) and returns its full path.
    std::string makeDirectory(const std::string& relativePath) const;

private:
    std::string directoryPath;
};

} // namespace TestSupport
