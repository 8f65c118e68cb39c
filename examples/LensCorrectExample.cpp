// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// The main job on a built-in example: writes a clean test chart clip and the lens data of a zoom,
// bakes the lens into the clip with lenscorrect's reverse modes (distort, then add shading), as
// the camera would have recorded it, corrects it back with lenscorrect, and tells per frame how
// close the result comes to the clean chart inside the frame. Where the plug-ins are built, one
// frame also goes through each of them in the simulated host, against the tool's result.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>
#include <spawn.h>
#include <sys/wait.h>

#include "ExampleClip.h"
#if defined(LC_SHADING_PLUGIN)
#include "PluginComparison.h"
#endif

extern char** environ;

namespace fs = std::filesystem;

namespace
{

// Below this the round trip has lost detail that a compositor would see.
constexpr double requiredPsnr = 40.0;

struct Settings
{
    std::string directory = "lens-correct-example";
    std::string tool = LC_LENSCORRECT_PATH;
    uint32_t frames = 24;
    uint32_t width = 1920;
    bool clipOnly = false;
};

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Runs lenscorrect with the arguments, showing the command as a user would type it.
void runTool(const Settings& settings, const std::vector<std::string>& arguments)
{
    std::string shown = "lenscorrect";
    std::vector<std::string> all { settings.tool };
    for (const std::string& argument : arguments)
    {
        shown += " " + argument;
        all.push_back(argument);
    }
    std::vector<char*> argv;
    for (std::string& argument : all)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::cout << "\n$ " << shown << "\n" << std::flush;
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, settings.tool.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    {
        throw std::runtime_error("cannot start " + settings.tool);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        throw std::runtime_error("lenscorrect failed; its messages are above");
    }
    std::printf("(%.1f s)\n", seconds(start));
}

void writeClip(const Settings& settings, const Example::ExampleClip& clip)
{
    const fs::path directory = fs::path(settings.directory) / "clean";
    fs::create_directories(directory);
    std::ofstream(fs::path(settings.directory) / "A001C001.tlcf") << clip.correctionFile();
    const std::vector<float> chart = clip.chart();
    OIIO::ImageSpec spec(int(clip.width), int(clip.height), 4, OIIO::TypeUInt16);
    spec.attribute("oiio:ColorSpace", "sRGB");
    spec.attribute("compression", "zip");
    for (uint32_t frame = 0; frame < clip.frameCount; ++frame)
    {
        char name[64];
        std::snprintf(name, sizeof(name), "chart.%04d.tif", clip.firstFrame + int(frame));
        // The float chart, converted to the file's 16 bits as it is written.
        const OIIO::ImageBuf image(
            OIIO::ImageSpec(int(clip.width), int(clip.height), 4, OIIO::TypeFloat),
            const_cast<float*>(chart.data()));
        OIIO::ImageBuf encoded(spec);
        OIIO::ImageBufAlgo::paste(encoded, 0, 0, 0, 0, image);
        if (!encoded.write((directory / name).string()))
        {
            throw std::runtime_error("cannot write the chart: " + encoded.geterror());
        }
    }
    std::printf("Wrote %u frames of a %ux%u 16-bit test chart to %s and the zoom's lens data to "
                "%s\n",
        clip.frameCount, clip.width, clip.height, directory.c_str(),
        (fs::path(settings.directory) / "A001C001.tlcf").c_str());
}

/// PSNR of a corrected frame against the chart, in the chart's sRGB encoding, over the pixels
/// inside the frame: those that both the baked and the corrected frame took wholly from inside
/// the picture (alpha 1 after both resamplings). Also returns that share of the picture.
std::pair<double, double> psnrInsideFrame(
    const std::string& path, const std::vector<float>& chart, uint32_t width, uint32_t height)
{
    OIIO::ImageBuf corrected(path);
    const OIIO::ROI picture(0, int(width), 0, int(height), 0, 1, 0, 4);
    OIIO::ImageBuf encoded = OIIO::ImageBufAlgo::colorconvert(
        OIIO::ImageBufAlgo::cut(corrected, picture), "linear", "sRGB", false);
    if (corrected.has_error() || encoded.has_error())
    {
        throw std::runtime_error("cannot read " + path + ": " + corrected.geterror());
    }
    std::vector<float> pixels(size_t(width) * height * 4);
    encoded.get_pixels(encoded.roi(), OIIO::TypeFloat, pixels.data());
    double squares = 0.0;
    size_t counted = 0;
    for (size_t i = 0; i < pixels.size(); i += 4)
    {
        if (pixels[i + 3] < 0.999f)
        {
            continue;
        }
        for (size_t channel = 0; channel < 3; ++channel)
        {
            const double difference = double(pixels[i + channel]) - chart[i + channel];
            squares += difference * difference;
        }
        ++counted;
    }
    const double meanSquare = counted ? squares / (3.0 * counted) : 1.0;
    return { 10.0 * std::log10(1.0 / std::max(meanSquare, 1e-20)),
        double(counted) / (double(width) * height) };
}

#if defined(LC_SHADING_PLUGIN)
/// One frame through each plug-in in the simulated host, beside lenscorrect's result. The
/// plug-ins correct the host's pixels as they are encoded, so the tool takes the plate as
/// linear here (--colorspace linear) to do the same.
bool comparePlugins(const Settings& settings, int frame)
{
    // The host's 16 bits quantise the plate by half a step and the plug-ins truncate their
    // output: more than two steps apart means the two front ends do not agree.
    constexpr double allowedSteps = 2.0;
    bool agree = true;
    std::printf(
        "\nFrame %d through each plug-in in the simulated host, against lenscorrect:", frame);
    const std::string root = settings.directory;
    char plate[64];
    std::snprintf(plate, sizeof(plate), "/plate/A001C001.%04d.tif", frame);
    for (const bool shading : { true, false })
    {
        const std::string name = shading ? "shading" : "distortion";
        runTool(settings,
            { root + "/plate/A001C001.####.tif", "--correction-file", root + "/A001C001.tlcf",
                "--clip-name", Example::ExampleClip::clipFileName, "--colorspace", "linear",
                shading ? "--shading" : "--distortion", shading ? "remove" : "undistort",
                "--frames", std::to_string(frame), "--data-type", "float", "-q", "-o",
                root + "/plugins/" + name + ".####.exr" });
        char result[64];
        std::snprintf(result, sizeof(result), "/plugins/%s.%04d.exr", name.c_str(), frame);
        const Example::PluginComparison comparison {
            shading ? LC_SHADING_PLUGIN : LC_DISTORTION_PLUGIN, shading, root + plate,
            root + "/plate/" + Example::ExampleClip::clipFileName, root + result
        };
        const double difference = comparison.largestDifference();
        agree = agree && difference <= allowedSteps;
        std::printf("  %s plug-in: largest difference from lenscorrect %.2f of 32768 steps%s\n",
            name.c_str(), difference, difference <= allowedSteps ? "" : "  (more than 2)");
    }
    return agree;
}
#endif

int run(const Settings& settings)
{
    Example::ExampleClip clip;
    clip.width = settings.width;
    clip.height = settings.width * 9 / 16;
    clip.frameCount = settings.frames;
    const auto start = std::chrono::steady_clock::now();
    const std::string root = settings.directory;
    const std::string lensData = root + "/A001C001.tlcf";
    const std::string clipName = Example::ExampleClip::clipFileName;
    // The widest frame shows the strongest lens.
    const int shown = clip.firstFrame;
    writeClip(settings, clip);
    if (settings.clipOnly)
    {
        return 0;
    }

    std::cout << "\nBake the lens into the clip, as the camera recorded it: distortion first, then "
                 "shading.";
    runTool(settings,
        { root + "/clean/chart.####.tif", "--correction-file", lensData, "--clip-name", clipName,
            "--distortion", "distort", "--keep-size", "-o", root + "/baked/distorted.####.tif",
            "--skip-existing" });
    runTool(settings,
        { root + "/baked/distorted.####.tif", "--correction-file", lensData, "--clip-name",
            clipName, "--shading", "add", "-o", root + "/plate/A001C001.####.tif",
            "--skip-existing" });

    std::cout << "\nCorrect the recorded plate: remove shading, then undistort into an enlarged "
                 "EXR data window.";
    runTool(settings,
        { root + "/plate/A001C001.####.tif", "--correction-file", lensData, "--clip-name", clipName,
            "--shading", "remove", "--distortion", "undistort", "-o",
            root + "/corrected/A001C001.####.exr", "--preview", root + "/preview.png",
            "--preview-frame", std::to_string(shown) });

    std::printf("\nHow close the corrected frames come to the clean chart inside the frame:\n");
    const std::vector<float> chart = clip.chart();
    double worst = 1e9;
    for (uint32_t frame = 0; frame < clip.frameCount; ++frame)
    {
        char name[64];
        std::snprintf(
            name, sizeof(name), "/corrected/A001C001.%04d.exr", clip.firstFrame + int(frame));
        const auto [psnr, share] = psnrInsideFrame(root + name, chart, clip.width, clip.height);
        worst = std::min(worst, psnr);
        std::printf("  frame %d: PSNR %5.1f dB over %5.1f%% of the picture%s\n",
            clip.firstFrame + int(frame), psnr, share * 100.0,
            psnr < requiredPsnr ? "  (below 40 dB)" : "");
    }
    bool pluginsAgree = true;
#if defined(LC_SHADING_PLUGIN)
    pluginsAgree = comparePlugins(settings, shown);
#endif
    std::printf("\nWorst frame: %.1f dB (at least %.0f dB expected). Preview of frame %d: %s\n"
                "Total: %.1f s\n",
        worst, requiredPsnr, shown, (root + "/preview.png").c_str(), seconds(start));
    return worst >= requiredPsnr && pluginsAgree ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    CLI::App app("Corrects a built-in example clip with lenscorrect and measures the result.",
        "lens-correct-example");
    app.add_option("--directory", settings.directory, "Where the example's files go");
    app.add_option("--frames", settings.frames, "Frames in the clip")->check(CLI::Range(1, 1000));
    app.add_option("--width", settings.width, "Frame width; the height follows at 16:9")
        ->check(CLI::Range(64, 3840));
    app.add_option("--tool", settings.tool, "The lenscorrect program");
    app.add_flag("--clip-only", settings.clipOnly,
        "Only write the clean chart clip and its lens data (an input for other runs)");
    CLI11_PARSE(app, argc, argv);
    try
    {
        return run(settings);
    }
    catch (const std::exception& exception)
    {
        std::cerr << "lens-correct-example: " << exception.what() << "\n";
        return 1;
    }
}
