// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace LensCorrect
{

/// Keeps freed memory in the process's heap, so that every frame's fresh buffers (ours and the
/// OpenCL runtime's) reuse the pages of the frame before instead of faulting in new ones. glibc
/// serves blocks above its mmap threshold (at most 32 MiB, less than one 1080p float frame)
/// straight from the kernel and unmaps them when freed; this turns that off and stops trimming
/// the heap. The heap then holds the decoders', encoders' and runtime's frame-sized blocks among
/// the small ones of every thread, and grows by a frame now and then where a freed block is split.
/// Only for processes that ask for it (the Python module's opt-in, our in-process benchmarks):
/// the library and the plug-ins never change process-wide allocator settings. Call once at
/// start, before threads exist.
void keepFreedFrameMemoryInHeap();

/// The tool's allocator setting: frame-sized blocks stay mapped on their own (returned when
/// freed, so the heap never fragments), on transparent huge pages, which cut the page faults of
/// each frame's fresh blocks about 500-fold. glibc takes that setting only from the environment
/// at start, so this runs the program again with it (`argv` as main got it) unless it is set or
/// the process may not be re-run (set-user-ID); where that fails, it returns and the process goes
/// on with the allocator as it is. Call first thing in main.
void backLargeBlocksWithHugePages(char** argv);

} // namespace LensCorrect
