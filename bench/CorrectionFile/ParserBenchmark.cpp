// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "CorrectionData/Content.h"
#include "CorrectionFile/Parser/Parser.h"

namespace
{

constexpr unsigned int frameCount = 100000;

enum class Take
{
    /// A slow focus pull: the values drift, those of the outer radii in the third decimal from
    /// line to line, those nearer the centre more slowly; the centre values are fixed (100 and 0).
    focusPull,
    /// Every value of every line differs from the line before: no text is seen twice in a row.
    everyValueChanges,
};

std::string generateCorrectionFile(Take take)
{
    std::string text
        = "HEADER_START\n"
          "lensManufacturer:=Optika\nlensTypeName:=Zoom 24-70\nlensSerialNumber:=A-1234\n"
          "lensMinFocalLength:=24\nlensMaxFocalLength:=70\n"
          "cameraManufacturer:=Camera Maker\ncameraModel:=Model One\nsensorWidth:=24.89\n"
          "clipName:=A001C001\nvideoFileName:=A001C001.mov\nclipDurationFrames:=100000\n"
          "clipWidth:=4096\nclipHeight:=2160\ntcFps:=25\ntcDrop:=0\n"
          "enableLensShadingCorrection:=1\nshadingGamma:=2.2\n"
          "enableLensDistortionCorrection:=1\ndistortionZoom:=1.0\n"
          "HEADER_END\n"
          "frame;shading;radialDistortion;focusDistance;focalLength;iris;zoom;reserved;"
          "timecode\n";
    char line[256];
    for (unsigned int frame = 0; frame < frameCount; ++frame)
    {
        const double drift = (frame % 1000) / 1000.0;
        // 0.001 steps that differ between neighbouring lines in every column.
        const double d[6] = { frame % 2 * 0.001, (frame % 997) / 1000.0, (frame % 991) / 1000.0,
            (frame % 983) / 1000.0, (frame % 977) / 1000.0, (frame % 971) / 1000.0 };
        const bool steady = take == Take::focusPull;
        const double shading[6] = { steady ? 100.0 : 99.9 + d[0], 99.1 - drift, 96.4 - drift,
            91.8 - 2 * drift, 87.2 - 2 * drift, 80.5 - 3 * drift };
        const double distortion[6] = { steady ? 0.0 : -d[0], steady ? -0.12 - drift / 10 : -d[1],
            steady ? -0.51 - drift / 5 : -0.5 - d[2], steady ? -1.13 - drift / 4 : -1.1 - d[3],
            steady ? -1.64 - drift / 3 : -1.6 - d[4], steady ? -2.42 - drift / 2 : -2.4 - d[5] };
        const unsigned int seconds = frame / 25;
        const int length = std::snprintf(line, sizeof(line),
            "%u;%.3f,%.3f,%.3f,%.3f,%.3f,%.3f;%.3f,%.3f,%.3f,%.3f,%.3f,%.3f;%u;%.1f;2.8;1.00;0;"
            "%02u.%02u.%02u.%02u\n",
            frame, shading[0], shading[1], shading[2], shading[3], shading[4], shading[5],
            distortion[0], distortion[1], distortion[2], distortion[3], distortion[4],
            distortion[5], 1200 + frame % 3000, 24.0 + (frame % 460) / 10.0, 10 + seconds / 3600,
            seconds / 60 % 60, seconds % 60, frame % 25);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

const std::string& correctionFileText(Take take)
{
    static const std::string focusPull = generateCorrectionFile(Take::focusPull);
    static const std::string everyValueChanges = generateCorrectionFile(Take::everyValueChanges);
    return take == Take::focusPull ? focusPull : everyValueChanges;
}

void parseCorrectionFile(benchmark::State& state, Take take)
{
    const std::string& text = correctionFileText(take);
    const CorrectionFile::Parser parser {};
    for (auto _ : state)
    {
        CorrectionData::Content content {};
        parser.parse(text, content);
        benchmark::DoNotOptimize(content.frames.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["frameLines"] = frameCount;
}

// The baseline: copying the same bytes once, to read the parser's rate as a multiple of it.
void copyCorrectionFileText(benchmark::State& state)
{
    const std::string& text = correctionFileText(Take::focusPull);
    std::vector<char> copy(text.size());
    for (auto _ : state)
    {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK_CAPTURE(parseCorrectionFile, focusPull, Take::focusPull)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(parseCorrectionFile, everyValueChanges, Take::everyValueChanges)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(copyCorrectionFileText)->Unit(benchmark::kMicrosecond);
