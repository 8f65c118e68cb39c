// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// A whole render command (11) of each plug-in in the simulated host: the host's output world,
// the transfer in, the library's render and the transfer out. Every iteration also times the
// library's own Core::Core::render of the same frame (x_core, the aim is 1.5 or less) and a
// one-thread memcpy of the float frame into a warm, preallocated buffer (x_memcpy). The
// simulated host makes a fresh output world for every render, filled pixel by pixel; that is
// the host's cost, timed apart (host_world_ms) and left out of x_core_plugin.
//
// The shared main() keeps freed memory in this process's heap (LC_BENCH_MALLOC=default for
// glibc's defaults); the plug-ins themselves never change the allocator.
#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include <benchmark/benchmark.h>

#include "Core/Core.h"
#include "LensCorrection/LensCorrectionParameter.h"
#include "Platform/FakeZenity.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"
#include "Support/TestCorrectionFile.h"
#include "host/SimulatedHost.h"

namespace
{

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

TestSupport::TestCorrectionFile correctionFile(uint32_t width, uint32_t height)
{
    TestSupport::TestCorrectionFile file;
    file.clipName = "A001C003";
    file.videoFileName = "A001C003.mov";
    file.clipWidth = width;
    file.clipHeight = height;
    file.frames = { { 0, { 100.0f, 97.5f, 90.0f, 78.0f, 68.0f, 55.0f },
        { 0.0f, -2.0f, -8.5f, -18.0f, -26.0f, -38.0f }, "" } };
    return file;
}

/// The plug-in in the host with the correction file chosen and a frame set up.
std::unique_ptr<Host::SimulatedHost> preparedHost(
    const std::string& plugin, const std::string& file, A_long width, A_long height, bool deep)
{
    auto host = std::make_unique<Host::SimulatedHost>();
    host->load(plugin);
    Host::PixelWorld layer(width, height, deep);
    for (A_long y = 0; y < height; ++y)
    {
        for (A_long x = 0; x < width; ++x)
        {
            const auto value = A_u_short((x + y) % 256 * layer.channelMaximum() / 255);
            layer.setPixel(x, y, { layer.channelMaximum(), value, value, value });
        }
    }
    host->frames().setInputLayer(std::move(layer));
    TestSupport::FakeZenity zenity(TestSupport::FakeZenity::choosing(file));
    if (host->applyEffect() != PF_Err_NONE
        || host->userChangedParameter(LensCorrectionParameter::filePathIndex) != PF_Err_NONE
        || host->send(PF_Cmd_FRAME_SETUP) != PF_Err_NONE || !host->shownMessages().empty())
    {
        throw std::runtime_error("the plug-in could not set up the frame");
    }
    return host;
}

void plugin(benchmark::State& state)
{
    const bool shading = state.range(0) == 0;
    const bool deep = state.range(1) == 16;
    const A_long width = A_long(state.range(2));
    const A_long height = A_long(state.range(3));

    TestSupport::TemporaryDirectory directory;
    const std::string file = directory.writeFile(
        "A001C003.tlcf", correctionFile(uint32_t(width), uint32_t(height)).text());
    auto host = preparedHost(
        shading ? LC_SHADING_PLUGIN : LC_DISTORTION_PLUGIN, file, width, height, deep);

    // The library alone, for the frame size the plug-in asked for.
    const uint32_t outputWidth = uint32_t(host->frames().requestedOutputWidth());
    const uint32_t outputHeight = uint32_t(host->frames().requestedOutputHeight());
    auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
    if (shading)
    {
        dataSource->answers.shadingCorrection = Core::ShadingCorrectionParameter { false, false };
    }
    else
    {
        dataSource->answers.distortionCorrection
            = Core::DistortionCorrectionParameter { false, false };
    }
    dataSource->answers.correctionFilePath = file;
    dataSource->answers.clipFileName = "A001C003.mov";
    dataSource->answers.frameData = TestSupport::makeFrameData(outputWidth, outputHeight, 0, 24.0f);
    Core::Core core(std::move(dataSource));
    std::vector<float> input(size_t(outputWidth) * outputHeight * 4, 0.5f);
    std::vector<float> output(input.size());
    std::vector<float> copy(input.size());
    const size_t bytes = input.size() * sizeof(float);

    double memcpySeconds = 0.0;
    double coreSeconds = 0.0;
    double pluginSeconds = 0.0;
    double worldSeconds = 0.0;
    for (auto _ : state)
    {
        const Clock::time_point worldStart = Clock::now();
        {
            Host::PixelWorld world(A_long(outputWidth), A_long(outputHeight), deep);
            benchmark::DoNotOptimize(world.world().data);
        }
        worldSeconds += seconds(Clock::now() - worldStart);
        const Clock::time_point start = Clock::now();
        std::memcpy(copy.data(), input.data(), bytes);
        benchmark::ClobberMemory();
        const Clock::time_point copied = Clock::now();
        if (!core.render(input.data(), output.data(), bytes))
        {
            state.SkipWithError("the library's render failed");
            break;
        }
        const Clock::time_point rendered = Clock::now();
        if (host->send(PF_Cmd_RENDER) != PF_Err_NONE || host->lastCommand().messageShown)
        {
            state.SkipWithError("the plug-in's render failed");
            break;
        }
        const Clock::time_point done = Clock::now();
        memcpySeconds += seconds(copied - start);
        coreSeconds += seconds(rendered - copied);
        pluginSeconds += seconds(done - rendered);
        state.SetIterationTime(seconds(done - rendered));
    }
    state.counters["core_ms"] = coreSeconds * 1000.0 / double(state.iterations());
    state.counters["x_core"] = pluginSeconds / coreSeconds;
    state.counters["x_memcpy"] = pluginSeconds / memcpySeconds;
    state.counters["host_world_ms"] = worldSeconds * 1000.0 / double(state.iterations());
    state.counters["x_core_plugin"] = (pluginSeconds - worldSeconds) / coreSeconds;
}

} // namespace

BENCHMARK(plugin)
    ->ArgNames({ "distortion", "bits", "width", "height" })
    ->ArgsProduct({ { 0, 1 }, { 8, 16 }, { 1920 }, { 1080 } })
    ->ArgsProduct({ { 0, 1 }, { 8, 16 }, { 3840 }, { 2160 } })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
