// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/FrameMemory.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/resource.h>

#include "Common/Failure.h"

namespace LensCorrect
{

namespace
{

    constexpr uint64_t bytesPerPixel = 4 * sizeof(float);

    void lower(std::optional<FrameMemory::Limit>& limit, uint64_t bytes, const char* source)
    {
        if (!limit || bytes < limit->bytes)
        {
            limit = FrameMemory::Limit { bytes, source };
        }
    }

    /// A "Name: value kB" line of a /proc file, in bytes.
    std::optional<uint64_t> procValue(const char* path, const std::string& name)
    {
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line))
        {
            if (line.compare(0, name.size() + 1, name + ":") == 0)
            {
                std::istringstream value(line.substr(name.size() + 1));
                uint64_t kilobytes = 0;
                if (value >> kilobytes)
                {
                    return kilobytes * 1024;
                }
            }
        }
        return std::nullopt;
    }

    std::optional<uint64_t> fileNumber(const std::string& path)
    {
        std::ifstream file(path);
        uint64_t number = 0;
        if (file >> number)
        {
            return number;
        }
        return std::nullopt; // Also "max": no limit.
    }

    /// The room left under the process's control group's memory limit (cgroup v2).
    std::optional<uint64_t> controlGroupRoom()
    {
        std::ifstream membership("/proc/self/cgroup");
        std::string line;
        while (std::getline(membership, line))
        {
            if (line.compare(0, 3, "0::") != 0)
            {
                continue;
            }
            const std::string group = "/sys/fs/cgroup" + line.substr(3);
            const auto limit = fileNumber(group + "/memory.max");
            const auto used = fileNumber(group + "/memory.current");
            if (limit && used)
            {
                return *limit > *used ? *limit - *used : 0;
            }
        }
        return std::nullopt;
    }

    /// The room left under a resource limit, from what the process has of it now.
    std::optional<uint64_t> room(int resource, const char* usedName)
    {
        rlimit limit {};
        if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        {
            return std::nullopt;
        }
        const uint64_t used = procValue("/proc/self/status", usedName).value_or(0);
        return limit.rlim_cur > used ? uint64_t(limit.rlim_cur) - used : 0;
    }

    std::string gibibytes(uint64_t bytes)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%.1f GiB", double(bytes) / double(uint64_t(1) << 30));
        return text;
    }

} // namespace

std::optional<FrameMemory::Limit> FrameMemory::available()
{
    std::optional<Limit> limit;
    if (const auto bytes = procValue("/proc/meminfo", "MemAvailable"))
    {
        lower(limit, *bytes, "available memory");
    }
    if (const auto bytes = controlGroupRoom())
    {
        lower(limit, *bytes, "the control group's memory limit");
    }
    if (const auto bytes = room(RLIMIT_DATA, "VmData"))
    {
        lower(limit, *bytes, "the data size limit (ulimit -d)");
    }
    if (const auto bytes = room(RLIMIT_AS, "VmSize"))
    {
        lower(limit, *bytes, "the address space limit (ulimit -v)");
    }
    return limit;
}

uint64_t FrameMemory::needed(Size frame, size_t groups, size_t framesInFlight)
{
    const uint64_t image = frame.pixels() * bytesPerPixel;
    return (uint64_t(framesInFlight) * groups + 1 + 2) * image;
}

void FrameMemory::check(
    uint64_t needed, const std::optional<Limit>& limit, Size frame, size_t framesInFlight)
{
    if (!limit || needed <= limit->bytes)
    {
        return;
    }
    throw Failure("The frames are too large for the memory available.",
        "Frame: " + std::to_string(frame.width) + "x" + std::to_string(frame.height)
            + " px\nNeeded: " + gibibytes(needed) + " (" + std::to_string(framesInFlight)
            + " frames in flight, float RGBA)\nAvailable: " + gibibytes(limit->bytes) + " ("
            + limit->source + ")\nHint: free memory or run fewer tasks at once on this machine");
}

} // namespace LensCorrect
