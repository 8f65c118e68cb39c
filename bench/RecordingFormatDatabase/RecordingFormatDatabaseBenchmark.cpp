// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "RecordingFormatDatabase/CsvStringBasedRecordingFormatDatabase.h"
#include "RecordingFormatDatabase/RecordingFormatsCsvStringArray.h"

using RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase;
using RecordingFormatDatabase::recordingFormatsCsvStringArray;

namespace
{

// Baseline: copying the bytes of every row once, the least any parse of the table costs.
void copyRowBytes(benchmark::State& state)
{
    std::size_t byteCount = 0;
    for (const std::string_view row : recordingFormatsCsvStringArray)
    {
        byteCount += row.size();
    }
    std::vector<char> copy(byteCount);
    for (auto _ : state)
    {
        char* destination = copy.data();
        for (const std::string_view row : recordingFormatsCsvStringArray)
        {
            std::memcpy(destination, row.data(), row.size());
            destination += row.size();
        }
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * byteCount));
}
BENCHMARK(copyRowBytes)->Unit(benchmark::kMicrosecond);

// What the first sharedInstance() call costs: parsing all rows into the nested maps.
void buildDatabase(benchmark::State& state)
{
    for (auto _ : state)
    {
        const CsvStringBasedRecordingFormatDatabase database(
            recordingFormatsCsvStringArray.data(), recordingFormatsCsvStringArray.size());
        benchmark::DoNotOptimize(&database);
    }
}
BENCHMARK(buildDatabase)->Unit(benchmark::kMicrosecond);

// The pipeline's question: all formats of one model (109 here), copied into the caller's map.
void recordingFormatsQuery(benchmark::State& state)
{
    const auto& database = CsvStringBasedRecordingFormatDatabase::sharedInstance();
    std::map<std::string, RecordingFormatDatabase::RecordingFormat> formats;
    for (auto _ : state)
    {
        database.recordingFormats("red", "dsmc2 helium 8k s35", formats);
        benchmark::DoNotOptimize(formats.size());
    }
}
BENCHMARK(recordingFormatsQuery)->Unit(benchmark::kMicrosecond);

} // namespace
