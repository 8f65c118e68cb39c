// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <vector>

namespace AeFrameDetail
{

struct RowRange
{
    long first;
    long count;
};

/// Workers for a platform that reports `hardwareConcurrency` processors: that many, at least one.
unsigned workerCount(unsigned hardwareConcurrency);

/// Rows for each of `workers` workers: `rows / workers` each, the remainder to the last one.
std::vector<RowRange> splitRows(long rows, unsigned workers);

} // namespace AeFrameDetail
