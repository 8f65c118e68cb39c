// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Logger/Logger.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "Logger/LogEntry.h"
#include "Logger/LoggerDetail.h"

namespace Core
{

namespace LoggerDetail
{

    std::string composeEntry(int64_t microsecondsSinceEpoch, const std::string& message)
    {
        // Floor division, so moments before the epoch still get a microsecond part in [0, 999999].
        int64_t seconds = microsecondsSinceEpoch / 1000000;
        int64_t microseconds = microsecondsSinceEpoch % 1000000;
        if (microseconds < 0)
        {
            microseconds += 1000000;
            --seconds;
        }
        const std::time_t calendarTime = static_cast<std::time_t>(seconds);
        std::tm localTime {};
        localtime_r(&calendarTime, &localTime);

        char stamp[64];
        const size_t stampLength
            = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &localTime);
        char fraction[16];
        std::snprintf(fraction, sizeof fraction, ".%06lld: ", static_cast<long long>(microseconds));
        return std::string(stamp, stampLength) + fraction + message;
    }

} // namespace LoggerDetail

Logger::Logger(const std::string& logFilePath)
    : logFilePath(logFilePath)
{
}

void Logger::log(const std::string& message) const noexcept
{
    // Logging runs on the error path of a host call: nothing, not even a failed allocation or
    // the errno of a failed open, may escape from here into the caller.
    const int callersErrno = errno;
    try
    {
        const auto now = std::chrono::time_point_cast<std::chrono::microseconds>(
            std::chrono::system_clock::now());
        const std::string entry
            = LoggerDetail::composeEntry(now.time_since_epoch().count(), message);
        LogEntry(logFilePath).write(entry);
    }
    catch (...)
    {
    }
    errno = callersErrno;
}

} // namespace Core
