// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace Core
{

/// One opening of the log file for appending; lives for one Logger::log call.
///
/// The log lies in a shared, world-writable directory, so the file is opened without following
/// a symbolic link at its path and is created with ordinary permissions (0644 less the umask).
class LogEntry
{
public:
    /// Opens (creating if needed) the file for appending; a failure leaves the entry closed.
    explicit LogEntry(const std::string& logFilePath);
    ~LogEntry();
    LogEntry(const LogEntry&) = delete;
    LogEntry& operator=(const LogEntry&) = delete;

    /// Writes the text and one line feed with a single write; does nothing when not open.
    void write(const std::string& text) const;

private:
    int fileDescriptor;
};

} // namespace Core
