// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Logger/LogEntry.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace Core
{

LogEntry::LogEntry(const std::string& logFilePath)
    : fileDescriptor(::open(logFilePath.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644))
{
}

LogEntry::~LogEntry()
{
    if (fileDescriptor >= 0)
    {
        ::close(fileDescriptor);
    }
}

void LogEntry::write(const std::string& text) const
{
    if (fileDescriptor < 0)
    {
        return;
    }
    // One write per entry keeps entries whole; the loop only finishes a write that a signal or a
    // full pipe cut short. The descriptor is unbuffered, so nothing is left to flush.
    const std::string line = text + "\n";
    const char* data = line.data();
    size_t remaining = line.size();
    while (remaining > 0)
    {
        const ssize_t written = ::write(fileDescriptor, data, remaining);
        if (written < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return;
        }
        data += written;
        remaining -= static_cast<size_t>(written);
    }
}

} // namespace Core
