// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Per-frame cost of Core::Core. Every render benchmark also times a memcpy of the same buffer in
// the same run and reports the ratio; frameSize with shading does all per-frame work except a
// kernel (data-source questions, container look-up, fit), so it is the pipeline's own overhead.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Core/Core.h"
#include "Renderer/DistortionRenderer.h"
#include "Renderer/ShadingRenderer.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"
#include "Support/TestCorrectionFile.h"

namespace
{

using Clock = std::chrono::steady_clock;

enum Correction
{
    shading,
    distortion,
    both,
};

/// One correction file for the whole run: a clip of 100 frames whose lens data change.
const std::string& correctionFilePath()
{
    static TestSupport::TemporaryDirectory directory;
    static const std::string path = []
    {
        TestSupport::TestCorrectionFile file;
        for (uint32_t number = 0; number < 100; ++number)
        {
            const float step = float(number % 10);
            file.frames.push_back(
                { number, { 100.0f, 97.0f - step / 10, 90.0f, 78.0f, 68.0f, 55.0f + step },
                    { 0.0f, -2.0f, -8.0f - step / 10, -18.0f, -26.0f, -38.0f }, "" });
        }
        return directory.writeFile("A001C001.tlcf", file.text());
    }();
    return path;
}

struct Subject
{
    Subject(Correction correction, uint32_t width, uint32_t height)
    {
        auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
        source = dataSource.get();
        source->answers.correctionFilePath = correctionFilePath();
        source->answers.clipFileName = "A001C001.mov";
        if (correction != distortion)
        {
            source->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, false };
        }
        if (correction != shading)
        {
            source->answers.distortionCorrection
                = Core::DistortionCorrectionParameter { false, false };
        }
        source->answers.frameData = TestSupport::makeFrameData(width, height);
        core = std::make_unique<Core::Core>(std::move(dataSource));
    }

    void nextFrame() { source->answers.frameData->frameNumber++; }

    TestSupport::TestCoreDataSource* source;
    std::unique_ptr<Core::Core> core;
};

std::vector<float> frame(uint32_t width, uint32_t height)
{
    std::vector<float> pixels(size_t(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
    {
        pixels[i] = float(i % 1024) / 1024.0f;
    }
    return pixels;
}

double seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

/// Times `work` per iteration and a memcpy of `bytes` alongside it.
template <typename Work>
void timeAgainstMemcpy(
    benchmark::State& state, const std::vector<float>& input, std::vector<float>& output, Work work)
{
    const size_t bytes = input.size() * sizeof(float);
    // The first run builds the renderers and lets the OpenCL runtime finish compiling.
    work();
    double memcpySeconds = 0.0;
    double workSeconds = 0.0;
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        std::memcpy(output.data(), input.data(), bytes);
        benchmark::ClobberMemory();
        const Clock::time_point copied = Clock::now();
        work();
        const Clock::time_point worked = Clock::now();
        memcpySeconds += seconds(copied - start);
        workSeconds += seconds(worked - copied);
        state.SetIterationTime(seconds(worked - copied));
    }
    state.counters["memcpy_ms"] = memcpySeconds * 1000.0 / double(state.iterations());
    state.counters["x_memcpy"] = workSeconds / memcpySeconds;
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

void render(benchmark::State& state)
{
    const Correction correction = Correction(state.range(0));
    const uint32_t width = uint32_t(state.range(1));
    const uint32_t height = uint32_t(state.range(2));
    Subject subject(correction, width, height);
    const std::vector<float> input = frame(width, height);
    std::vector<float> output(input.size());
    timeAgainstMemcpy(state, input, output,
        [&]
        {
            if (!subject.core->render(input.data(), output.data(), input.size() * sizeof(float)))
            {
                state.SkipWithError("render failed");
            }
            subject.nextFrame();
        });
}

void configure(Renderer::ShadingParameter& parameter)
{
    parameter.a0 = 90.0f;
    parameter.a2 = -0.05f;
}

void configure(Renderer::DistortionParameter& parameter)
{
    parameter.inverseImageRadius = parameter.imageRadius;
    parameter.a1 = 1.02f;
    parameter.a3 = -0.0001f;
}

/// The renderers alone, with a fixed parameter record: what render costs without the pipeline.
template <typename Renderer> void rendererOnly(benchmark::State& state)
{
    const uint32_t width = uint32_t(state.range(0));
    const uint32_t height = uint32_t(state.range(1));
    Renderer renderer;
    renderer.parameter.currentWidth = renderer.parameter.originalWidth = width;
    renderer.parameter.currentHeight = renderer.parameter.originalHeight = height;
    renderer.parameter.imageRadius = 13.6305f;
    configure(renderer.parameter);
    const std::vector<float> input = frame(width, height);
    std::vector<float> output(input.size());
    timeAgainstMemcpy(state, input, output,
        [&] { renderer.render(input.data(), output.data(), input.size() * sizeof(float)); });
}

void frameSize(benchmark::State& state)
{
    Subject subject(Correction(state.range(0)), 1920, 1080);
    for (auto _ : state)
    {
        uint32_t width = 0;
        uint32_t height = 0;
        if (!subject.core->frameSize(width, height))
        {
            state.SkipWithError("frameSize failed");
        }
        benchmark::DoNotOptimize(width);
        subject.nextFrame();
    }
}

void sizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Args({ 1920, 1080 })->Args({ 3840, 2160 });
}

void correctionsAndSizes(benchmark::internal::Benchmark* benchmark)
{
    for (int correction : { shading, distortion, both })
    {
        benchmark->Args({ correction, 1920, 1080 })->Args({ correction, 3840, 2160 });
    }
}

} // namespace

BENCHMARK(render)
    ->ArgNames({ "correction", "width", "height" })
    ->Apply(correctionsAndSizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(rendererOnly, Renderer::ShadingRenderer)
    ->ArgNames({ "width", "height" })
    ->Apply(sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(rendererOnly, Renderer::DistortionRenderer)
    ->ArgNames({ "width", "height" })
    ->Apply(sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(frameSize)
    ->ArgName("correction")
    ->Arg(shading)
    ->Arg(distortion)
    ->Unit(benchmark::kMicrosecond);
