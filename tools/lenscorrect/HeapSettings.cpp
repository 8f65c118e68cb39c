// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/HeapSettings.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace LensCorrect
{

void keepFreedFrameMemoryInHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
#endif
}

} // namespace LensCorrect
