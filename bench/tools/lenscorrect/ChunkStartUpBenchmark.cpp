// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// The start-up of one chunk of a split run, for a 2,000-frame clip beside a 10-frame clip: a
// one-frame chunk (--frames N --skip-existing) whose frame is already written, so that the run
// does everything a chunk does but correct its frame (it checks the existing frame's header and
// last row instead). With a plan (--plan, written once per clip with --write-plan) the chunk
// reads only its own frame; without one it reads every header of the clip and asks the library
// for every frame's size. Both clips are 64x36 EXR sections of one take and share its lens data
// (2,000 records), so that only the plate's length differs. Each iteration times both clips;
// x_10_frames is the 2,000-frame clip's time over the 10-frame clip's, whose goal with a plan
// is at most 1.5.
#include <atomic>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>

#include "Run/ClipRun.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "ZoomLensData.h"

namespace
{

using namespace LensCorrect;
using Clock = std::chrono::steady_clock;

constexpr int takeFrames = 2000;
constexpr int firstFrame = 1001;

using BenchmarkClip::directory;

const std::string& correctionFilePath()
{
    static const std::string path = BenchmarkClip::writeZoomLensData(
        takeFrames, takeFrames, [](uint32_t number) { return float(number % 50) * 0.1f; });
    return path;
}

/// A clip of `frames` frames, its plan, and its middle frame corrected: the chunk to time.
struct Clip
{
    explicit Clip(int frames)
        : folder(directory().makeDirectory("clip" + std::to_string(frames)))
        , chunkFrame(firstFrame + frames / 2)
    {
        OIIO::ImageSpec spec(64, 36, 3, OIIO::TypeHalf);
        const std::vector<float> pixels(size_t(64) * 36 * 3, 0.5f);
        for (int frame = firstFrame; frame < firstFrame + frames; ++frame)
        {
            const std::string path = folder + "/plate." + std::to_string(frame) + ".exr";
            auto output = OIIO::ImageOutput::create(path);
            output->open(path, spec);
            output->write_image(OIIO::TypeFloat, pixels.data());
            output->close();
        }
        RunSettings planning = options(false);
        planning.frames.clear();
        planning.writePlan = folder + "/clip.plan";
        run(planning);
        run(options(false));
    }

    /// The chunk's options; `plan`: from the clip's plan.
    RunSettings options(bool plan) const
    {
        RunSettings options;
        options.input = folder + "/plate.####.exr";
        options.output = folder + "/out/plate.####.exr";
        options.shading = ShadingMode::remove;
        options.distortion = DistortionMode::undistort;
        options.correctionFile = correctionFilePath();
        options.clipName = "A001C001.mov";
        options.frames = std::to_string(chunkFrame);
        options.skipExisting = true;
        options.quiet = true;
        if (plan)
        {
            options.plan = folder + "/clip.plan";
        }
        return options;
    }

    /// Seconds of one run; throws when it fails.
    static double run(const RunSettings& options)
    {
        const std::atomic<bool> stop { false };
        std::ostringstream messages;
        const auto start = Clock::now();
        if (runClip(options, messages, false, stop) != succeeded)
        {
            throw std::runtime_error(messages.str());
        }
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    std::string folder;
    int chunkFrame;
};

void chunkStartUp(benchmark::State& state, bool plan)
{
    static const Clip shortClip(10);
    static const Clip longClip(takeFrames);
    const RunSettings shortChunk = shortClip.options(plan);
    const RunSettings longChunk = longClip.options(plan);
    double shortSeconds = 0.0;
    double longSeconds = 0.0;
    try
    {
        for (auto _ : state)
        {
            shortSeconds += Clip::run(shortChunk);
            longSeconds += Clip::run(longChunk);
        }
    }
    catch (const std::exception& exception)
    {
        state.SkipWithError(exception.what());
        return;
    }
    const double iterations = double(state.iterations());
    state.counters["ms_10_frames"] = shortSeconds / iterations * 1e3;
    state.counters["ms_2000_frames"] = longSeconds / iterations * 1e3;
    state.counters["x_10_frames"] = longSeconds / shortSeconds;
}

const bool registered = []
{
    benchmark::RegisterBenchmark("ChunkStartUp/plan", chunkStartUp, true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("ChunkStartUp/whole_clip", chunkStartUp, false)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    return true;
}();

} // namespace
