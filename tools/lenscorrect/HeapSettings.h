// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace LensCorrect
{

/// Keeps freed memory in the process's heap, so that every frame's fresh buffers (ours and the
/// OpenCL runtime's) reuse the pages of the frame before instead of faulting in new ones. glibc
/// serves blocks above its mmap threshold (at most 32 MiB, less than one 1080p float frame)
/// straight from the kernel and unmaps them when freed; this turns that off and stops trimming
/// the heap. Only for the tool's own process and our benchmarks: the library and the plug-ins
/// never change process-wide allocator settings. Call once at start, before threads exist.
void keepFreedFrameMemoryInHeap();

} // namespace LensCorrect
