// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace TestSupport
{

/// A shell script named zenity in its own temporary directory, first on PATH while the object
/// lives. The script receives the dialog's arguments as "$@".
class FakeZenity
{
public:
    /// `body`: shell commands run after "#!/bin/sh".
    explicit FakeZenity(const std::string& body);
    ~FakeZenity();
    FakeZenity(const FakeZenity&) = delete;
    FakeZenity& operator=(const FakeZenity&) = delete;

    /// A script that prints `path` as its one line and exits with 0.
    static std::string choosing(const std::string& path);

    const std::string& directory() const { return directoryPath; }

private:
    std::string directoryPath;
    std::string previousPath;
};

/// Only `directory` on PATH while the object lives (a system without zenity).
class PathOnly
{
public:
    explicit PathOnly(const std::string& directory);
    ~PathOnly();
    PathOnly(const PathOnly&) = delete;
    PathOnly& operator=(const PathOnly&) = delete;

private:
    std::string previousPath;
};

} // namespace TestSupport
