// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/HeapSettings.h"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
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

} // namespace LensCorrect
