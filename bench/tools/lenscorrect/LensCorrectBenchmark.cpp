// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Wall time per frame of lenscorrect on 16-bit TIFF and float EXR sequences at 1080p and 2160p
// (shading and distortion removed, output in the input's format), and in the same run the three
// stages it overlaps on its reader, render and writer threads, each alone: decoding a frame
// into linear float RGBA, the library's render, and encoding the result. With the overlap the
// tool's time per frame should come close to the slowest stage, not to their sum. Every figure
// also comes as x_memcpy, the ratio to a one-thread memcpy of the frame's float RGBA buffer into
// a warm, preallocated buffer, timed in the same process. RenderWindow compares the render of
// plates that are a window of the recording (a centred 2.39 extraction, an off-centre one) with
// a whole plate of about the same pixel count.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <benchmark/benchmark.h>

#include "Correction/FrameCorrector.h"
#include "Image/HeapSettings.h"
#include "Output/FrameWriter.h"
#include "Plate/PlateReader.h"
#include "Run/ClipRun.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "ZoomLensData.h"

namespace
{

using namespace LensCorrect;
using Clock = std::chrono::steady_clock;

// Enough frames that filling and draining the tool's queues costs little of its time per frame.
constexpr int frameCount = 8;
constexpr int firstFrame = 1001;

struct Format
{
    const char* name;
    const char* extension;
    OIIO::TypeDesc type;
};

const Format formats[]
    = { { "tiff16", "tif", OIIO::TypeUInt16 }, { "exrfloat", "exr", OIIO::TypeFloat } };
const std::pair<const char*, Size> sizes[]
    = { { "1080p", { 1920, 1080 } }, { "2160p", { 3840, 2160 } } };

using BenchmarkClip::directory;

/// The lens data of a zoom over the clip: shading and distortion change from frame to frame.
const std::string& correctionFilePath()
{
    static const std::string path = BenchmarkClip::writeZoomLensData(
        frameCount, 100, [](uint32_t number) { return float(number); });
    return path;
}

/// The input sequence of a format and size, written once per run: smooth content with detail.
std::string sequence(const Format& format, Size size)
{
    static std::map<std::string, std::string> patterns;
    const std::string key = std::string(format.name) + std::to_string(size.width);
    if (!patterns.count(key))
    {
        const std::string folder = directory().makeDirectory(key);
        OIIO::ImageSpec spec(int(size.width), int(size.height), 3, format.type);
        std::vector<float> pixels(size.pixels() * 3);
        for (size_t i = 0; i < pixels.size(); ++i)
        {
            const size_t pixel = i / 3;
            pixels[i] = 0.5f
                + 0.4f * std::sin(0.05f * (pixel % size.width) + float(i % 3))
                    * std::cos(0.03f * (pixel / size.width));
        }
        for (int frame = firstFrame; frame < firstFrame + frameCount; ++frame)
        {
            const std::string path
                = folder + "/plate." + std::to_string(frame) + "." + format.extension;
            auto output = OIIO::ImageOutput::create(path);
            output->open(path, spec);
            output->write_image(OIIO::TypeFloat, pixels.data());
            output->close();
        }
        patterns[key] = folder + "/plate.####." + format.extension;
    }
    return patterns[key];
}

/// Seconds of one memcpy of a float RGBA frame into a warm, preallocated buffer (best of five).
double memcpySeconds(Size size)
{
    std::vector<float> from(size.pixels() * 4, 0.5f);
    std::vector<float> to(from.size(), 0.0f);
    double best = 1e9;
    for (int run = 0; run < 5; ++run)
    {
        const auto start = Clock::now();
        std::memcpy(to.data(), from.data(), from.size() * sizeof(float));
        benchmark::DoNotOptimize(to.data());
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

LensSettings lensSettings()
{
    LensSettings settings;
    settings.shading = ShadingMode::remove;
    settings.distortion = DistortionMode::undistort;
    settings.identity = { correctionFilePath(), directory().path() + "/A001C001.mov" };
    return settings;
}

void report(benchmark::State& state, double seconds, size_t frames, Size size)
{
    const double perFrame = seconds / double(frames);
    state.counters["ms_per_frame"] = perFrame * 1e3;
    state.counters["x_memcpy"] = perFrame / memcpySeconds(size);
}

/// Everything one frame of the clip needs on its way through the tool's stages.
struct Stages
{
    Stages(const Format& format, Size size)
        : clip(sequence(format, size))
        , kind(RunSettings {}, clip)
        , corrector(lensSettings(), size)
    {
    }

    InputClip clip;
    PlateKind kind;
    FrameCorrector corrector;
};

void decode(benchmark::State& state, const Format& format, Size size)
{
    Stages stages(format, size);
    PlateReader reader(stages.clip, stages.kind);
    double seconds = 0.0;
    size_t frames = 0;
    for (auto _ : state)
    {
        const auto start = Clock::now();
        Plate plate = reader.read(stages.clip.frames()[frames % frameCount]);
        benchmark::DoNotOptimize(plate.parts.front().groups.front().pixels.data());
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++frames;
    }
    report(state, seconds, frames, size);
}

void render(benchmark::State& state, const Format& format, Size size)
{
    Stages stages(format, size);
    PlateReader reader(stages.clip, stages.kind);
    const Plate plate = reader.read(stages.clip.frames().front());
    stages.corrector.checkLensData();
    double seconds = 0.0;
    size_t frames = 0;
    for (auto _ : state)
    {
        const uint32_t clipFrame = uint32_t(frames % frameCount);
        const auto start = Clock::now();
        const Size renderSize = stages.corrector.renderSize(clipFrame);
        RgbaImage corrected
            = stages.corrector.correct(clipFrame, renderSize, plate.parts.front().groups.front());
        benchmark::DoNotOptimize(corrected.pixels.data());
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++frames;
    }
    report(state, seconds, frames, size);
}

/// The render of a frame whose plate is a window of the 1920x1080 recording (at twice its
/// scale), beside a whole plate of about the same pixel count: a centred window should cost
/// within 1.1 times the whole plate, as a recording format of its own; an off-centre one renders
/// the smallest buffer centred on the optical centre that covers it.
void renderWindow(benchmark::State& state, Size plate, std::optional<Extraction> extraction)
{
    LensSettings settings = lensSettings();
    settings.extraction = extraction;
    FrameCorrector corrector(settings, plate);
    RgbaImage picture(plate);
    for (size_t i = 0; i < picture.pixels.size(); ++i)
    {
        const size_t pixel = i / 4;
        picture.pixels[i] = 0.5f
            + 0.4f * std::sin(0.05f * float(pixel % plate.width) + float(i % 4))
                * std::cos(0.03f * float(pixel / plate.width));
    }
    corrector.checkLensData();
    double seconds = 0.0;
    size_t frames = 0;
    for (auto _ : state)
    {
        const uint32_t clipFrame = uint32_t(frames % frameCount);
        const auto start = Clock::now();
        const Size renderSize = corrector.renderSize(clipFrame);
        RgbaImage corrected = corrector.correct(clipFrame, renderSize, picture);
        benchmark::DoNotOptimize(corrected.pixels.data());
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++frames;
    }
    report(state, seconds, frames, plate);
    state.counters["megapixels"] = double(plate.pixels()) / 1e6;
}

void encode(benchmark::State& state, const Format& format, Size size)
{
    Stages stages(format, size);
    PlateReader reader(stages.clip, stages.kind);
    const Plate plate = reader.read(stages.clip.frames().front());
    const Size renderSize = stages.corrector.renderSize(0);
    const RgbaImage corrected
        = stages.corrector.correct(0, renderSize, plate.parts.front().groups.front());
    const Window window = FrameGeometry::canvasWindow({ 0, 0, size }, renderSize);
    const std::string path = directory().path() + "/encoded." + format.extension;
    double seconds = 0.0;
    size_t frames = 0;
    for (auto _ : state)
    {
        std::vector<FrameWriter::FramePart> parts { { plate.parts.front().spec, window,
            { corrected }, &stages.kind.parts().front().colour,
            &stages.kind.parts().front().layout } };
        const auto start = Clock::now();
        FrameWriter::writeFrame(
            path, parts, stages.clip.formatName(), OIIO::TypeUnknown, LensCorrect::Provenance {});
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++frames;
    }
    report(state, seconds, frames, size);
}

void tool(benchmark::State& state, const Format& format, Size size)
{
    RunSettings options;
    options.input = sequence(format, size);
    options.output = directory().path() + "/out/" + format.name + ".####." + format.extension;
    options.shading = ShadingMode::remove;
    options.distortion = DistortionMode::undistort;
    options.correctionFile = correctionFilePath();
    options.clipName = "A001C001.mov";
    options.quiet = true;
    const std::atomic<bool> stop { false };
    double seconds = 0.0;
    size_t frames = 0;
    for (auto _ : state)
    {
        std::ostringstream messages;
        const auto start = Clock::now();
        if (runClip(options, messages, false, stop) != succeeded)
        {
            state.SkipWithError(messages.str().c_str());
            return;
        }
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
        frames += frameCount;
    }
    report(state, seconds, frames, size);
}

/// Registers every stage for every format and size; iterations fixed so that a run of the whole
/// program takes a few minutes on two cores with the CPU OpenCL runtime.
const bool registered = []
{
    // The tool's own allocator settings, unless the run compares glibc's defaults.
    const char* malloc = std::getenv("LC_BENCH_MALLOC");
    if (!malloc || std::string(malloc) != "default")
    {
        keepFreedFrameMemoryInHeap();
    }
    for (const auto& [sizeName, size] : sizes)
    {
        const bool large = size.width > 1920;
        for (const Format& format : formats)
        {
            const std::string suffix = std::string("/") + format.name + "/" + sizeName;
            benchmark::RegisterBenchmark(("Decode" + suffix).c_str(), decode, format, size)
                ->Iterations(large ? 3 : 8)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            benchmark::RegisterBenchmark(("Encode" + suffix).c_str(), encode, format, size)
                ->Iterations(large ? 3 : 8)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            benchmark::RegisterBenchmark(("Tool" + suffix).c_str(), tool, format, size)
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
        benchmark::RegisterBenchmark((std::string("Render/shading+distortion/") + sizeName).c_str(),
            render, formats[1], size)
            ->Iterations(large ? 3 : 8)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    // 3840x1608 (a 2.39 extraction) and 3312x1863 (16:9) hold about the same pixels.
    const std::tuple<const char*, Size, std::optional<Extraction>> windows[] = {
        { "whole", { 3312, 1863 }, std::nullopt },
        { "centred-2.39", { 3840, 1608 },
            Extraction { { 1920, 804 }, std::nullopt, std::nullopt } },
        { "off-centre", { 3000, 1250 },
            Extraction { { 1500, 625 }, std::pair<uint32_t, uint32_t>(120, 200), std::nullopt } },
    };
    for (const auto& [name, plate, extraction] : windows)
    {
        benchmark::RegisterBenchmark(
            (std::string("RenderWindow/") + name).c_str(), renderWindow, plate, extraction)
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

} // namespace
