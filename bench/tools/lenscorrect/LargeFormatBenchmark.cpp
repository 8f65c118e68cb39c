// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// The lenscorrect program against a plain transcode of the same frames (`oiiotool --native`,
// one process over the sequence, same format and compression out), both as separate processes
// so that each one's peak memory and page faults are its own. Per case, three interleaved rounds
// of: the program over N frames and over the first frame alone, the transcode likewise. The
// steady state per frame is (time of N frames - time of 1) / (N - 1), which leaves out the start
// of the process and of the OpenCL runtime. Counters (medians of the rounds):
//   x_transcode  steady time per frame, program / transcode  (goals: shading 1.1, both 1.35)
//   x_peak       peak resident memory over N frames, program / transcode  (goal: 3)
//   ms_per_frame, transcode_ms_per_frame, peak_MiB, transcode_peak_MiB
//   faults_per_frame, transcode_faults_per_frame  (minor page faults, steady state)
// Plates: EXR half ZIP (RGBA) at 1080p, 2160p and 4320p, 16-bit TIFF at 1080p and 2160p.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"
#include "ZoomLensData.h"

extern char** environ;

namespace
{

struct Plate
{
    const char* name;
    const char* extension;
    OIIO::TypeDesc type;
    const char* compression;
    int width;
    int height;
    int frames;
};

struct Usage
{
    double seconds = 0.0;
    double peakMiB = 0.0;
    double faults = 0.0;
};

using BenchmarkClip::directory;

/// Lens data for every frame: a zoom, so that each frame has its own shading and distortion.
const std::string& correctionFilePath()
{
    static const std::string path
        = BenchmarkClip::writeZoomLensData(8, 100, [](uint32_t number) { return float(number); });
    return path;
}

/// The plate's folder, written once: smooth content with fine noise, so that ZIP compresses
/// it about as much as a camera plate.
std::string plateFolder(const Plate& plate)
{
    static std::map<std::string, std::string> folders;
    const std::string key = std::string(plate.name) + std::to_string(plate.width);
    if (!folders.count(key))
    {
        const std::string folder = directory().makeDirectory(key);
        OIIO::ImageSpec spec(plate.width, plate.height, 4, plate.type);
        spec.attribute("compression", plate.compression);
        // Row by row: a child's peak memory includes this process's peak at the time it starts.
        std::vector<float> row(size_t(plate.width) * 4);
        for (int frame = 1001; frame < 1001 + plate.frames; ++frame)
        {
            const std::string path
                = folder + "/plate." + std::to_string(frame) + "." + plate.extension;
            auto output = OIIO::ImageOutput::create(path);
            output->open(path, spec);
            uint32_t noise = 12345;
            for (int y = 0; y < plate.height; ++y)
            {
                for (size_t i = 0; i < row.size(); ++i)
                {
                    noise = noise * 1664525u + 1013904223u;
                    row[i] = i % 4 == 3 ? 1.0f
                                        : 0.4f
                            + 0.3f * std::sin(0.004f * float(i / 4) + float(i % 4))
                                * std::cos(0.003f * float(y))
                            + 0.01f * float(noise >> 24) / 255.0f;
                }
                output->write_scanline(y, 0, OIIO::TypeFloat, row.data());
            }
            output->close();
        }
        folders[key] = folder;
    }
    return folders[key];
}

/// Runs a program to its end: its wall time, peak resident memory and minor page faults.
Usage runProcess(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int started = posix_spawn(&child, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
    {
        throw std::runtime_error("cannot start " + arguments.front());
    }
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        throw std::runtime_error(arguments.front() + " failed");
    }
    return { seconds, double(usage.ru_maxrss) / 1024.0, double(usage.ru_minflt) };
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void largeFormat(benchmark::State& state, Plate plate, bool distortion)
{
    const std::string folder = plateFolder(plate);
    const std::string last = std::to_string(1000 + plate.frames);
    const auto tool = [&](const std::string& frames)
    {
        std::vector<std::string> arguments { LC_LENSCORRECT_PATH,
            folder + "/plate.####." + plate.extension, "--frames", frames, "-o",
            folder + "/corrected.####." + plate.extension, "--shading", "remove",
            "--correction-file", correctionFilePath(), "--clip-name", "A001C001.mov", "-q" };
        if (distortion)
        {
            arguments.insert(arguments.end(), { "--distortion", "undistort" });
        }
        return runProcess(arguments);
    };
    const auto transcode = [&](const std::string& frames)
    {
        return runProcess(
            { LC_OIIOTOOL_PATH, "--native", folder + "/plate." + frames + "#." + plate.extension,
                "-o", folder + "/transcoded." + frames + "#." + plate.extension });
    };
    std::map<std::string, std::vector<double>> rounds;
    const double n = double(plate.frames - 1);
    for (auto _ : state)
    {
        for (int round = 0; round < 3; ++round)
        {
            const Usage toolAll = tool("1001-" + last);
            const Usage toolOne = tool("1001");
            const Usage plainAll = transcode("1001-" + last);
            const Usage plainOne = transcode("1001-1001");
            const double toolFrame = (toolAll.seconds - toolOne.seconds) / n;
            const double plainFrame = (plainAll.seconds - plainOne.seconds) / n;
            rounds["ms_per_frame"].push_back(toolFrame * 1e3);
            rounds["transcode_ms_per_frame"].push_back(plainFrame * 1e3);
            rounds["x_transcode"].push_back(toolFrame / plainFrame);
            rounds["peak_MiB"].push_back(toolAll.peakMiB);
            rounds["transcode_peak_MiB"].push_back(plainAll.peakMiB);
            rounds["x_peak"].push_back(toolAll.peakMiB / plainAll.peakMiB);
            rounds["faults_per_frame"].push_back((toolAll.faults - toolOne.faults) / n);
            rounds["transcode_faults_per_frame"].push_back((plainAll.faults - plainOne.faults) / n);
        }
    }
    for (const auto& [name, values] : rounds)
    {
        state.counters[name] = median(values);
    }
}

const bool registered = []
{
    const Plate plates[] = {
        { "exr-half-zip/1080p", "exr", OIIO::TypeHalf, "zip", 1920, 1080, 5 },
        { "exr-half-zip/2160p", "exr", OIIO::TypeHalf, "zip", 3840, 2160, 5 },
        { "exr-half-zip/4320p", "exr", OIIO::TypeHalf, "zip", 7680, 4320, 3 },
        { "tiff16/1080p", "tif", OIIO::TypeUInt16, "zip", 1920, 1080, 5 },
        { "tiff16/2160p", "tif", OIIO::TypeUInt16, "zip", 3840, 2160, 5 },
    };
    for (const Plate& plate : plates)
    {
        for (const bool distortion : { false, true })
        {
            benchmark::RegisterBenchmark((std::string("LargeFormat/") + plate.name
                                             + (distortion ? "/shading+distortion" : "/shading"))
                                             .c_str(),
                largeFormat, plate, distortion)
                ->Iterations(1)
                ->Unit(benchmark::kSecond)
                ->UseRealTime();
        }
    }
    return true;
}();

} // namespace
