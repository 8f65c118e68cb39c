// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// AeFrame's transfers between host worlds and the float buffer, 8 and 16 bit, on the host's
// worlds of the simulated host. Each iteration also times a one-thread memcpy of the float
// buffer into a warm, preallocated buffer of the same size and reports the ratio of wall times
// (x_memcpy) and of the process's processor times (cpu_x_memcpy: all workers together, which a
// busy machine does not distort as it does the wall time of several threads).
#include <chrono>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include <benchmark/benchmark.h>

#include "AePlugin/AeFrame.h"
#include "host/PixelWorld.h"
#include "host/SimulatedHost.h"

namespace
{

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double processorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

/// The records of a render command, as the host would pass them, around two host worlds.
struct RenderCall
{
    RenderCall(A_long width, A_long height, bool deep)
        : input(width, height, deep)
        , output(width, height, deep)
    {
        inData.utils = Host::SimulatedHost::utilityCallbacks();
        inData.width = width;
        inData.height = height;
        layer.param_type = PF_Param_LAYER;
        layer.u.ld = input.world();
        params[0] = &layer;
        ae->command = PF_Cmd_RENDER;
        ae->inData = &inData;
        ae->params = params;
        ae->output = &output.world();
        for (A_long y = 0; y < height; ++y)
        {
            for (A_long x = 0; x < width; ++x)
            {
                const auto value = static_cast<A_u_short>((x + y) % input.channelMaximum());
                input.setPixel(x, y, { value, value, value, value });
            }
        }
    }

    Host::PixelWorld input;
    Host::PixelWorld output;
    PF_InData inData {};
    PF_ParamDef layer {};
    PF_ParamDef* params[1] {};
    std::shared_ptr<AeInterface> ae = std::make_shared<AeInterface>();
};

enum Direction
{
    read,
    write,
};

void transfer(benchmark::State& state)
{
    const Direction direction = Direction(state.range(0));
    const bool deep = state.range(1) == 16;
    const A_long width = A_long(state.range(2));
    const A_long height = A_long(state.range(3));
    RenderCall call(width, height, deep);
    const AeFrame frame(call.ae);
    std::vector<float> buffer(std::size_t(width) * height * 4, 0.5f);
    std::vector<float> copy(buffer.size());
    const std::size_t bytes = buffer.size() * sizeof(float);

    double memcpySeconds = 0.0;
    double transferSeconds = 0.0;
    double memcpyProcessor = 0.0;
    double transferProcessor = 0.0;
    for (auto _ : state)
    {
        const double startProcessor = processorSeconds();
        const Clock::time_point start = Clock::now();
        std::memcpy(copy.data(), buffer.data(), bytes);
        benchmark::ClobberMemory();
        const Clock::time_point copied = Clock::now();
        const double copiedProcessor = processorSeconds();
        if (direction == read)
        {
            frame.readInputData(buffer.data(), bytes);
        }
        else
        {
            frame.writeOutputData(buffer.data(), bytes);
        }
        benchmark::ClobberMemory();
        const Clock::time_point transferred = Clock::now();
        transferProcessor += processorSeconds() - copiedProcessor;
        memcpyProcessor += copiedProcessor - startProcessor;
        memcpySeconds += seconds(copied - start);
        transferSeconds += seconds(transferred - copied);
        state.SetIterationTime(seconds(transferred - copied));
    }
    state.counters["memcpy_ms"] = memcpySeconds * 1000.0 / double(state.iterations());
    state.counters["x_memcpy"] = transferSeconds / memcpySeconds;
    state.counters["cpu_x_memcpy"] = transferProcessor / memcpyProcessor;
    state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}

} // namespace

BENCHMARK(transfer)
    ->ArgNames({ "write", "bits", "width", "height" })
    ->ArgsProduct({ { read, write }, { 8, 16 }, { 1920 }, { 1080 } })
    ->ArgsProduct({ { read, write }, { 8, 16 }, { 3840 }, { 2160 } })
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
