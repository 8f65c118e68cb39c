// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace Core
{

/// Appends time-stamped entries to a plain-text log file. Each entry opens the file, writes once
/// and closes it again, so the file holds every completed entry even if the host process dies.
///
/// Entry format: local time "YYYY-MM-DD HH:MM:SS", ".", six-digit microseconds, ": ", the
/// message unchanged, one line feed.
///
/// No lock of its own: the caller serialises log calls (the plug-in's entry lock does).
class Logger
{
public:
    /// Only stores the path; the file is not touched.
    explicit Logger(const std::string& logFilePath);

    /// Writes one entry. Never throws and never reports a failure: a log that cannot be written
    /// (missing directory, no permission, a symbolic link at the path) is silently skipped, and
    /// errno is left as the caller had it.
    void log(const std::string& message) const noexcept;

private:
    std::string logFilePath;
};

} // namespace Core
