// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// main() of every benchmark program. Before anything runs, glibc's allocator is told to keep
// freed memory in the process's heap (no mmap for large blocks, no trimming), so that the fresh
// frame-sized buffers of the next frame, ours and the OpenCL runtime's, reuse pages that are
// already mapped instead of faulting in new ones. This is a setting of our own processes: the
// library and the plug-ins never change the allocator, which inside a host is the host's
// business. LC_BENCH_MALLOC=default keeps glibc's defaults, to measure the difference.
#include <cstdlib>
#include <cstring>
#include <limits>

#include <benchmark/benchmark.h>
#include <malloc.h>

namespace
{

bool keepFreedMemoryInHeap()
{
    const char* setting = std::getenv("LC_BENCH_MALLOC");
    if (setting && std::strcmp(setting, "default") == 0)
    {
        return false;
    }
    return mallopt(M_MMAP_MAX, 0) == 1
        && mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max()) == 1;
}

} // namespace

int main(int argc, char** argv)
{
    const bool kept = keepFreedMemoryInHeap();
    benchmark::AddCustomContext(
        "malloc", kept ? "freed memory kept in the heap" : "glibc defaults");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
    {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
