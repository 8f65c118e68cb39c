// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Per-frame cost of the two renderers against a memcpy of the same buffer, measured in the same
// process, and where one execution spends its time: buffer creation and upload, launch and
// wait, read-back and release.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Renderer/DistortionRenderer.h"
#include "Renderer/KernelSources.h"
#include "Renderer/OpenCL/CLCommandQueue.h"
#include "Renderer/OpenCL/CLContext.h"
#include "Renderer/OpenCL/CLKernel.h"
#include "Renderer/OpenCL/CLMemory.h"
#include "Renderer/OpenCL/CLProgram.h"
#include "Renderer/OpenCL/OpenCLKernelDetail.h"
#include "Renderer/OpenCL/OpenCLKernelHelper.h"
#include "Renderer/RendererDetail.h"
#include "Renderer/ShadingRenderer.h"

namespace
{

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Frame
{
    unsigned width;
    unsigned height;
    std::vector<float> input;
    std::vector<float> output;

    Frame(unsigned width, unsigned height)
        : width(width)
        , height(height)
        , input(std::size_t { width } * height * 4)
        , output(input.size(), 0.0f)
    {
        for (std::size_t i = 0; i < input.size(); ++i)
        {
            input[i] = static_cast<float>(i % 1021) / 1021.0f;
        }
    }

    std::size_t bytes() const { return input.size() * sizeof(float); }
};

// Best of a few copies of the frame's buffer, both buffers already touched.
double memcpyMilliseconds(Frame& frame)
{
    double best = 1e300;
    for (int i = 0; i < 5; ++i)
    {
        const Clock::time_point start = Clock::now();
        std::memcpy(frame.output.data(), frame.input.data(), frame.bytes());
        benchmark::DoNotOptimize(frame.output.data());
        benchmark::ClobberMemory();
        best = std::min(best, millisecondsSince(start));
    }
    return best;
}

void reportAgainstMemcpy(benchmark::State& state, Frame& frame, double totalMilliseconds)
{
    const double perFrame = totalMilliseconds / static_cast<double>(state.iterations());
    const double copy = memcpyMilliseconds(frame);
    state.counters["frame_ms"] = perFrame;
    state.counters["memcpy_ms"] = copy;
    state.counters["x_memcpy"] = perFrame / copy;
}

void setShading(Renderer::ShadingParameter& p, unsigned width, unsigned height)
{
    p.currentWidth = p.originalWidth = width;
    p.currentHeight = p.originalHeight = height;
    p.imageRadius = 21.4f;
    p.a0 = 100.0f;
    p.a2 = -0.06f;
    p.a4 = -0.00004f;
}

void setDistortion(Renderer::DistortionParameter& p, unsigned width, unsigned height)
{
    p.currentWidth = p.originalWidth = width;
    p.currentHeight = p.originalHeight = height;
    p.imageRadius = 21.4f;
    p.inverseImageRadius = 21.4f;
    p.a1 = 1.02f;
    p.a3 = -2e-4f;
    p.inverseCoefficients = { 0.0f, 0.98f, 0.0f, 2.1e-4f, 0.0f, 0.0f };
}

template <typename Renderer, typename Configure>
void renderFrames(benchmark::State& state, Renderer& renderer, Configure configure)
{
    Frame frame(static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
    configure(renderer.parameter, frame.width, frame.height);
    double total = 0.0;
    for (auto _ : state)
    {
        const Clock::time_point start = Clock::now();
        renderer.render(frame.input.data(), frame.output.data(), frame.bytes());
        total += millisecondsSince(start);
    }
    reportAgainstMemcpy(state, frame, total);
}

void ShadingRender(benchmark::State& state)
{
    static Renderer::ShadingRenderer renderer;
    renderFrames(state, renderer, setShading);
}

void DistortionRender(benchmark::State& state)
{
    static Renderer::DistortionRenderer renderer;
    renderFrames(state, renderer, setDistortion);
}

// The steps of one execution, taken apart: a kernel built the way the renderers build theirs,
// buffers created for each execution and a launch range of one work-item per byte.
class ExecutionSteps
{
public:
    ExecutionSteps(const std::string& source, const char* kernelName)
        : device(Renderer::OpenCLKernelHelper::idOfMostPowerfulDevice())
        , context(device)
        , queue(device, context)
        , program(device, context, source)
        , kernel(program, kernelName)
    {
    }

    // Arguments: width, height, then alternatives to what the renderers do, for comparison: a
    // launch range of one work-item per pixel instead of per byte, buffers created once instead
    // of for every execution.
    void run(benchmark::State& state, const std::function<cl_int(cl_kernel)>& setOwnArguments)
    {
        Frame frame(static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
        const bool rangePerPixel = state.range(2) != 0;
        const bool keepBuffers = state.range(3) != 0;
        const std::size_t bytes = frame.bytes();
        std::optional<Renderer::CLMemory> output;
        std::optional<Renderer::CLMemory> input;
        double upload = 0.0, launch = 0.0, readBack = 0.0, release = 0.0;
        for (auto _ : state)
        {
            Clock::time_point start = Clock::now();
            if (!output)
            {
                output.emplace(context, CL_MEM_WRITE_ONLY, bytes);
                input.emplace(context, CL_MEM_READ_ONLY, bytes);
            }
            cl_int status = clEnqueueWriteBuffer(
                queue, *input, CL_TRUE, 0, bytes, frame.input.data(), 0, nullptr, nullptr);
            upload += millisecondsSince(start);

            start = Clock::now();
            const cl_mem inputHandle = *input;
            const cl_mem outputHandle = *output;
            status |= clSetKernelArg(kernel, 0, sizeof(cl_mem), &inputHandle);
            status |= clSetKernelArg(kernel, 1, sizeof(cl_mem), &outputHandle);
            status |= setOwnArguments(kernel);
            std::size_t localSize = 0;
            status |= clGetKernelWorkGroupInfo(
                kernel, device, CL_KERNEL_WORK_GROUP_SIZE, sizeof(localSize), &localSize, nullptr);
            const std::size_t globalSize = Renderer::RendererDetail::globalWorkSize(
                rangePerPixel ? bytes / (4 * sizeof(float)) : bytes, localSize);
            status |= clEnqueueNDRangeKernel(
                queue, kernel, 1, nullptr, &globalSize, &localSize, 0, nullptr, nullptr);
            clFinish(queue);
            launch += millisecondsSince(start);

            start = Clock::now();
            status |= clEnqueueReadBuffer(
                queue, *output, CL_TRUE, 0, bytes, frame.output.data(), 0, nullptr, nullptr);
            readBack += millisecondsSince(start);
            if (status != CL_SUCCESS)
            {
                state.SkipWithError("an OpenCL call failed");
                return;
            }

            start = Clock::now();
            if (!keepBuffers)
            {
                input.reset();
                output.reset();
            }
            release += millisecondsSince(start);
        }
        const double iterations = static_cast<double>(state.iterations());
        state.counters["create_upload_ms"] = upload / iterations;
        state.counters["launch_wait_ms"] = launch / iterations;
        state.counters["read_back_ms"] = readBack / iterations;
        state.counters["release_ms"] = release / iterations;
        reportAgainstMemcpy(state, frame, upload + launch + readBack + release);
    }

private:
    cl_device_id device;
    Renderer::CLContext context;
    Renderer::CLCommandQueue queue;
    Renderer::CLProgram program;
    Renderer::CLKernel kernel;
};

void ShadingSteps(benchmark::State& state)
{
    static ExecutionSteps steps(Renderer::shadingKernelSource, Renderer::shadingImageKernelName);
    Renderer::ShadingParameter parameter;
    setShading(
        parameter, static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
    steps.run(state,
        [&](cl_kernel kernel)
        {
            Renderer::KernelArguments arguments(kernel, 2);
            return Renderer::RendererDetail::addFrameArguments(arguments, parameter)
                .add(cl_uchar { parameter.reverse })
                .add(cl_float { parameter.gamma })
                .status();
        });
}

void DistortionSteps(benchmark::State& state)
{
    static ExecutionSteps steps(
        Renderer::distortionKernelSource, Renderer::distortionImageKernelName);
    Renderer::DistortionParameter parameter;
    setDistortion(
        parameter, static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
    steps.run(state,
        [&](cl_kernel kernel)
        {
            Renderer::KernelArguments arguments(kernel, 2);
            return Renderer::RendererDetail::addFrameArguments(arguments, parameter).status();
        });
}

void MemcpyFrame(benchmark::State& state)
{
    Frame frame(static_cast<unsigned>(state.range(0)), static_cast<unsigned>(state.range(1)));
    std::memcpy(frame.output.data(), frame.input.data(), frame.bytes());
    for (auto _ : state)
    {
        std::memcpy(frame.output.data(), frame.input.data(), frame.bytes());
        benchmark::DoNotOptimize(frame.output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.bytes()));
}

// A frame takes seconds on a CPU runtime: few fixed iterations, wall-clock time.
void frameSizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

void stepVariants(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Apply(frameSizes)->ArgNames({ "w", "h", "range_per_pixel", "keep_buffers" });
}

} // namespace

BENCHMARK(MemcpyFrame)->Apply(frameSizes)->Args({ 1920, 1080 })->Args({ 3840, 2160 });
BENCHMARK(ShadingRender)->Apply(frameSizes)->Args({ 1920, 1080 })->Iterations(5);
BENCHMARK(ShadingRender)->Apply(frameSizes)->Args({ 3840, 2160 })->Iterations(3);
BENCHMARK(DistortionRender)->Apply(frameSizes)->Args({ 1920, 1080 })->Iterations(5);
BENCHMARK(DistortionRender)->Apply(frameSizes)->Args({ 3840, 2160 })->Iterations(3);
// Steps as the renderers take them, then the alternatives at 1080p.
BENCHMARK(ShadingSteps)->Apply(stepVariants)->Args({ 1920, 1080, 0, 0 })->Iterations(5);
BENCHMARK(ShadingSteps)->Apply(stepVariants)->Args({ 3840, 2160, 0, 0 })->Iterations(3);
BENCHMARK(ShadingSteps)->Apply(stepVariants)->Args({ 1920, 1080, 1, 0 })->Iterations(5);
BENCHMARK(ShadingSteps)->Apply(stepVariants)->Args({ 1920, 1080, 1, 1 })->Iterations(5);
BENCHMARK(DistortionSteps)->Apply(stepVariants)->Args({ 1920, 1080, 0, 0 })->Iterations(5);
BENCHMARK(DistortionSteps)->Apply(stepVariants)->Args({ 3840, 2160, 0, 0 })->Iterations(3);
BENCHMARK(DistortionSteps)->Apply(stepVariants)->Args({ 1920, 1080, 1, 0 })->Iterations(5);
BENCHMARK(DistortionSteps)->Apply(stepVariants)->Args({ 1920, 1080, 1, 1 })->Iterations(5);
