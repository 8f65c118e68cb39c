// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/Content.h"

namespace
{

constexpr uint32_t frameCount = 100000;
constexpr size_t lookupCount = 1000000;

/// A take with a line per frame, served from memory.
class InMemoryDataSource : public CorrectionData::ManagedContainerDataSource
{
public:
    InMemoryDataSource()
        : content(std::make_shared<CorrectionData::Content>())
    {
        content->header.videoFileName = "A001.mov";
        content->header.tcFps = 25.0f;
        for (uint32_t number = 0; number < frameCount; ++number)
        {
            CorrectionData::Frame frame {};
            frame.frameNumber = number;
            frame.shading = { 100.0f, 99.0f, 96.0f, 91.0f, 87.0f, 80.0f };
            frame.timecode = "10:00:00:00";
            content->frames.emplace(number, frame);
        }
    }

    void shareContent(const std::string&, std::shared_ptr<CorrectionData::Content>& shared) override
    {
        shared = content;
    }

    void shareContent(const std::string&, const std::string&,
        std::shared_ptr<CorrectionData::Content>& shared) override
    {
        shared = content;
    }

    std::shared_ptr<CorrectionData::Content> content;
};

enum Order
{
    sequentialOrder, ///< Rendering a take: frame after frame, wrapping at the end.
    randomOrder, ///< Scrubbing: any frame.
};

const std::vector<uint32_t>& frameNumbers(int64_t order)
{
    static const std::vector<uint32_t> inOrder = []
    {
        std::vector<uint32_t> numbers(lookupCount);
        for (size_t i = 0; i < numbers.size(); ++i)
        {
            numbers[i] = static_cast<uint32_t>(i % frameCount);
        }
        return numbers;
    }();
    static const std::vector<uint32_t> shuffled = []
    {
        std::mt19937 generator(42);
        std::uniform_int_distribution<uint32_t> distribution(0, frameCount - 1);
        std::vector<uint32_t> numbers(lookupCount);
        for (auto& number : numbers)
        {
            number = distribution(generator);
        }
        return numbers;
    }();
    return order == sequentialOrder ? inOrder : shuffled;
}

// The same look-ups through the container, which obtains the content and searches the map.
void lookUpFramesByNumber(benchmark::State& state)
{
    const auto dataSource = std::make_shared<InMemoryDataSource>();
    CorrectionData::ManagedContainer container("/clips/A001.mov", dataSource);
    const std::vector<uint32_t>& numbers = frameNumbers(state.range(0));
    CorrectionData::Frame frame {};
    for (auto _ : state)
    {
        for (const uint32_t number : numbers)
        {
            container.frameData(number, frame);
            benchmark::DoNotOptimize(frame);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * numbers.size()));
}

// Baseline: copying the same frames out of a vector by index, the least any look-up must do.
void copyFramesByIndex(benchmark::State& state)
{
    const InMemoryDataSource dataSource;
    std::vector<CorrectionData::Frame> frames;
    for (const auto& entry : dataSource.content->frames)
    {
        frames.push_back(entry.second);
    }
    const std::vector<uint32_t>& numbers = frameNumbers(state.range(0));
    CorrectionData::Frame frame {};
    for (auto _ : state)
    {
        for (const uint32_t number : numbers)
        {
            frame = frames[number];
            benchmark::DoNotOptimize(frame);
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * numbers.size()));
}

} // namespace

BENCHMARK(copyFramesByIndex)
    ->ArgName("random")
    ->Arg(sequentialOrder)
    ->Arg(randomOrder)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(lookUpFramesByNumber)
    ->ArgName("random")
    ->Arg(sequentialOrder)
    ->Arg(randomOrder)
    ->Unit(benchmark::kMillisecond);
