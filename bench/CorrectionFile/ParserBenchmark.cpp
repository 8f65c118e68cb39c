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

/// A correction file of a take at 25 fps with a slow focus pull: the lens values drift from
/// frame to frame, so no two lines are alike.
std::string generateCorrectionFile()
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
        const unsigned int seconds = frame / 25;
        const int length = std::snprintf(line, sizeof(line),
            "%u;100.000,%.3f,%.3f,%.3f,%.3f,%.3f;0.000,%.3f,%.3f,%.3f,%.3f,%.3f;%u;%.1f;%.1f;1.00;"
            "0;"
            "%02u.%02u.%02u.%02u\n",
            frame, 99.1 - drift, 96.4 - drift, 91.8 - 2 * drift, 87.2 - 2 * drift, 80.5 - 3 * drift,
            -0.12 - drift / 10, -0.51 - drift / 5, -1.13 - drift / 4, -1.64 - drift / 3,
            -2.42 - drift / 2, 1200 + frame % 3000, 24.0 + (frame % 460) / 10.0, 2.8,
            10 + seconds / 3600, seconds / 60 % 60, seconds % 60, frame % 25);
        text.append(line, static_cast<std::size_t>(length));
    }
    return text;
}

const std::string& correctionFileText()
{
    static const std::string text = generateCorrectionFile();
    return text;
}

void parseCorrectionFile(benchmark::State& state)
{
    const std::string& text = correctionFileText();
    const CorrectionFile::Parser parser;
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
    const std::string& text = correctionFileText();
    std::vector<char> copy(text.size());
    for (auto _ : state)
    {
        std::memcpy(copy.data(), text.data(), text.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(parseCorrectionFile)->Unit(benchmark::kMillisecond);
BENCHMARK(copyCorrectionFileText)->Unit(benchmark::kMicrosecond);
