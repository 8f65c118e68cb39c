// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Per-frame cost of Core::Core. Every render benchmark also times a memcpy of the same buffer in
// the same run (one thread, into a warm, preallocated buffer) and reports the ratio, x_memcpy;
// and x_probe, the ratio to the bare per-frame pattern that the device layer prescribes, run in
// the same process with a trivial kernel (fresh device buffers, upload, a launch range of one
// work-item per byte, download): what a render costs beyond that floor is the correction itself.
// frameSize with shading does all per-frame work except a kernel (data-source questions,
// container look-up, fit), so it is the pipeline's own overhead.
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Core/Core.h"
#include "Renderer/DistortionRenderer.h"
#include "Renderer/OpenCL/KernelArguments.h"
#include "Renderer/OpenCL/OpenCLKernel.h"
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

// Copies every pixel, one work-item per pixel of a range of one work-item per byte.
const char* const probeKernelSource = R"CLC(
__kernel void copyPixels(__global const float* input, __global float* output, uint pixelCount)
{
    const size_t index = get_global_id(0);
    if (index >= pixelCount)
    {
        return;
    }
    vstore4(vload4(index, input), index, output);
}
)CLC";

/// The bare pattern through the device layer the renderers use, with a trivial kernel.
class Probe
{
public:
    Probe()
        : kernel(probeKernelSource, "copyPixels",
            [this](cl_kernel handle)
            { return Renderer::KernelArguments(handle, 2).add(cl_uint { pixelCount }).status(); })
    {
    }

    void run(const std::vector<float>& input, std::vector<float>& output)
    {
        pixelCount = cl_uint(input.size() / 4);
        kernel.execute(input.data(), output.data(), input.size() * sizeof(float));
    }

private:
    cl_uint pixelCount = 0;
    Renderer::OpenCLKernel<float> kernel;
};

Probe& probe()
{
    static Probe instance;
    return instance;
}

/// Wall-clock and process CPU seconds (all threads, the OpenCL runtime's workers included): on a
/// machine that others load, the CPU ratios stay meaningful when the wall-clock ones do not.
struct Moment
{
    Clock::time_point wall = Clock::now();
    double cpu = processCpuSeconds();

    static double processCpuSeconds()
    {
        timespec time {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
        return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
    }
};

struct Elapsed
{
    double wall = 0.0;
    double cpu = 0.0;

    void add(const Moment& from, const Moment& to)
    {
        wall += seconds(to.wall - from.wall);
        cpu += to.cpu - from.cpu;
    }
};

/// Times `work` per iteration and, alongside it in each iteration, a memcpy of the same bytes
/// and the probe on the same frame.
template <typename Work>
void timeAgainstMemcpy(
    benchmark::State& state, const std::vector<float>& input, std::vector<float>& output, Work work)
{
    const size_t bytes = input.size() * sizeof(float);
    // The first runs build the renderers and let the OpenCL runtime finish compiling.
    work();
    probe().run(input, output);
    Elapsed copying;
    Elapsed probing;
    Elapsed working;
    for (auto _ : state)
    {
        const Moment start;
        std::memcpy(output.data(), input.data(), bytes);
        benchmark::ClobberMemory();
        const Moment copied;
        probe().run(input, output);
        const Moment probed;
        work();
        const Moment worked;
        copying.add(start, copied);
        probing.add(copied, probed);
        working.add(probed, worked);
        state.SetIterationTime(seconds(worked.wall - probed.wall));
    }
    const double iterations = double(state.iterations());
    state.counters["memcpy_ms"] = copying.wall * 1000.0 / iterations;
    state.counters["probe_ms"] = probing.wall * 1000.0 / iterations;
    state.counters["x_memcpy"] = working.wall / copying.wall;
    state.counters["x_probe"] = working.wall / probing.wall;
    state.counters["cpu_x_memcpy"] = working.cpu / copying.cpu;
    state.counters["cpu_x_probe"] = working.cpu / probing.cpu;
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

/// The probe itself, against memcpy.
void bareProbe(benchmark::State& state)
{
    const uint32_t width = uint32_t(state.range(0));
    const uint32_t height = uint32_t(state.range(1));
    const std::vector<float> input = frame(width, height);
    std::vector<float> output(input.size());
    timeAgainstMemcpy(state, input, output, [&] { probe().run(input, output); });
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

BENCHMARK(bareProbe)
    ->ArgNames({ "width", "height" })
    ->Apply(sizes)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
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
