// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/HeapSettings.h"

#include <cstdlib>
#include <cstring>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/auxv.h>
#include <unistd.h>
#endif

namespace LensCorrect
{

void keepFreedFrameMemoryInHeap()
{
#if defined(__GLIBC__)
    // Every block from the heap, none unmapped or trimmed when freed, one arena for all threads
    // (a thread's own arena cannot grow past 64 MiB in one piece).
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
    mallopt(M_ARENA_MAX, 1);
#endif
}

void backLargeBlocksWithHugePages([[maybe_unused]] char** argv)
{
#if defined(__GLIBC__) && defined(__linux__)
    constexpr const char* tunable = "glibc.malloc.hugetlb=1";
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    // The marker stops a loop where glibc drops the variable.
    if ((tunables && std::strstr(tunables, "glibc.malloc.hugetlb"))
        || std::getenv("LENSCORRECT_REEXECUTED") || getauxval(AT_SECURE) != 0)
    {
        return;
    }
    const std::string value
        = tunables && *tunables ? std::string(tunables) + ":" + tunable : tunable;
    if (setenv("GLIBC_TUNABLES", value.c_str(), 1) != 0
        || setenv("LENSCORRECT_REEXECUTED", "1", 1) != 0)
    {
        return;
    }
    execv("/proc/self/exe", argv);
    // Not re-run: as before, without huge pages.
    unsetenv("LENSCORRECT_REEXECUTED");
    if (tunables)
    {
        setenv("GLIBC_TUNABLES", tunables, 1);
    }
    else
    {
        unsetenv("GLIBC_TUNABLES");
    }
#endif
}

} // namespace LensCorrect
