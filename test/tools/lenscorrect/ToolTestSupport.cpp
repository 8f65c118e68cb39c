// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "ToolTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Run/ClipRun.h"
#include "lenscorrect/CommandLine.h"

extern char** environ;

namespace ToolTest
{

ToolRun runTool(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv { "lenscorrect" };
    for (const std::string& argument : arguments)
    {
        argv.push_back(argument.c_str());
    }
    std::ostringstream out;
    std::ostringstream err;
    const LensCorrect::CommandLine commandLine
        = LensCorrect::parseCommandLine(int(argv.size()), argv.data(), out, err);
    if (!commandLine.options)
    {
        return { commandLine.exitStatus, out.str() + err.str() };
    }
    std::ostringstream messages;
    const std::atomic<bool> stop { false };
    const int status = LensCorrect::runClip(*commandLine.options, messages, false, stop);
    return { status, messages.str() };
}

ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    const std::string log = std::filesystem::temp_directory_path()
        / ("lenscorrect-test-" + std::to_string(getpid()) + ".log");
    std::vector<std::string> all { program };
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all)
    {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t child = 0;
    const int started
        = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
    {
        throw std::runtime_error("cannot start " + program);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream stream(log);
    std::stringstream text;
    text << stream.rdbuf();
    std::remove(log.c_str());
    return { WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str() };
}

Image testImage(int width, int height, int channels, int frame)
{
    Image image { OIIO::ImageSpec(width, height, channels, OIIO::TypeFloat), {} };
    image.pixels.resize(size_t(width) * height * channels);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            for (int channel = 0; channel < channels; ++channel)
            {
                const bool alpha = channels == 4 && channel == 3;
                const float phase = 0.7f * channel + 0.3f * frame;
                const float wave = std::sin(0.21f * x + phase) * std::cos(0.17f * y - phase);
                image.pixels[(size_t(y) * width + x) * channels + channel]
                    = alpha ? 0.75f + 0.25f * wave : 0.5f + 0.45f * wave;
            }
        }
    }
    return image;
}

void writeImage(const std::string& path, const Image& image)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    auto output = OIIO::ImageOutput::create(path);
    if (!output || !output->open(path, image.spec)
        || !output->write_image(OIIO::TypeFloat, image.pixels.data()) || !output->close())
    {
        throw std::runtime_error("cannot write " + path + ": " + OIIO::geterror());
    }
}

Image readImage(const std::string& path)
{
    auto input = OIIO::ImageInput::open(path);
    if (!input)
    {
        throw std::runtime_error("cannot read " + path + ": " + OIIO::geterror());
    }
    Image image { input->spec(), {} };
    image.pixels.resize(size_t(image.spec.width) * image.spec.height * image.spec.nchannels);
    if (!input->read_image(0, 0, 0, image.spec.nchannels, OIIO::TypeFloat, image.pixels.data()))
    {
        throw std::runtime_error("cannot read " + path + ": " + input->geterror());
    }
    return image;
}

void writeSequence(const std::string& pattern, int first, int count, int width, int height,
    int channels, OIIO::TypeDesc format)
{
    std::filesystem::create_directories(std::filesystem::path(pattern).parent_path());
    for (int frame = first; frame < first + count; ++frame)
    {
        Image image = testImage(width, height, channels, frame - first);
        image.spec.set_format(format);
        char path[4096];
        std::snprintf(path, sizeof(path), pattern.c_str(), frame);
        writeImage(path, image);
    }
}

namespace
{

    void append(std::string& bytes, const std::string& text) { bytes += text; }

    void append(std::string& bytes, uint32_t value, size_t size = 4)
    {
        for (size_t i = 0; i < size; ++i)
        {
            bytes += char((value >> (8 * i)) & 0xff);
        }
    }

    /// A RIFF chunk: four-character code, little-endian size, data, padding to an even size.
    std::string chunk(const std::string& code, const std::string& data)
    {
        std::string bytes = code;
        append(bytes, uint32_t(data.size()));
        bytes += data;
        if (data.size() % 2)
        {
            bytes += '\0';
        }
        return bytes;
    }

    std::string list(const std::string& type, const std::string& data)
    {
        return chunk("LIST", type + data);
    }

} // namespace

void writeMovie(const std::string& path, const std::vector<Image>& frames,
    const std::string& timecode, uint32_t rate, uint32_t scale)
{
    const uint32_t width = uint32_t(frames.front().spec.width);
    const uint32_t height = uint32_t(frames.front().spec.height);
    const uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const uint32_t frameBytes = rowBytes * height;
    const uint32_t count = uint32_t(frames.size());

    std::string mainHeader;
    const uint32_t microsecondsPerFrame = uint32_t(uint64_t(1000000) * scale / rate);
    for (const uint32_t value : { microsecondsPerFrame, frameBytes * rate / scale, 0u,
             0x10u /* has index */, count, 0u, 1u, frameBytes, width, height, 0u, 0u, 0u, 0u })
    {
        append(mainHeader, value);
    }
    std::string streamHeader = "vidsDIB ";
    for (const uint32_t value : { 0u, 0u, 0u, scale, rate, 0u, count, frameBytes, 0xffffffffu, 0u })
    {
        append(streamHeader, value);
    }
    for (const uint32_t value : { 0u, 0u, width, height })
    {
        append(streamHeader, value, 2);
    }
    std::string bitmapHeader;
    for (const uint32_t value : { 40u, width, height })
    {
        append(bitmapHeader, value);
    }
    append(bitmapHeader, 1, 2);
    append(bitmapHeader, 24, 2);
    for (const uint32_t value : { 0u, frameBytes, 0u, 0u, 0u, 0u })
    {
        append(bitmapHeader, value);
    }

    std::string movie;
    std::string index;
    for (const Image& frame : frames)
    {
        // Rows bottom to top, blue green red, each padded to four bytes.
        std::string pixels;
        for (int y = int(height) - 1; y >= 0; --y)
        {
            for (uint32_t x = 0; x < width; ++x)
            {
                for (const int channel : { 2, 1, 0 })
                {
                    pixels += char(std::lround(frame.at(int(x), y, channel) * 255.0f));
                }
            }
            pixels.append(rowBytes - width * 3, '\0');
        }
        append(index, "00db");
        append(index, 0x10); // Key frame.
        append(index, uint32_t(4 + movie.size()));
        append(index, frameBytes);
        movie += chunk("00db", pixels);
    }
    const std::string riff = chunk("RIFF",
        "AVI "
            + list("hdrl",
                chunk("avih", mainHeader)
                    + list("strl", chunk("strh", streamHeader) + chunk("strf", bitmapHeader)))
            // The start timecode as an INFO entry, which FFmpeg reads as the movie's "timecode".
            + (timecode.empty() ? std::string() : list("INFO", chunk("ISMP", timecode + '\0')))
            + list("movi", movie) + chunk("idx1", index));
    std::ofstream(path, std::ios::binary) << riff;
}

TestSupport::TestCorrectionFile correctionFile(
    const std::vector<std::pair<float, float>>& shadingAndDistortionPerFrame)
{
    TestSupport::TestCorrectionFile file;
    file.clipName = "A001C001";
    file.videoFileName = "A001C001.mov";
    const std::array<float, 6> radii { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };
    for (size_t frame = 0; frame < shadingAndDistortionPerFrame.size(); ++frame)
    {
        const auto [shading, distortion] = shadingAndDistortionPerFrame[frame];
        TestSupport::TestCorrectionFile::Frame values { uint32_t(frame), {}, {}, "" };
        for (size_t i = 0; i < radii.size(); ++i)
        {
            values.shading[i] = shading;
            values.radialDistortion[i] = distortion * (radii[i] / 21.4f) * (radii[i] / 21.4f);
        }
        file.frames.push_back(values);
    }
    return file;
}

std::vector<std::string> lensData(const std::string& correctionFilePath)
{
    return { "--correction-file", correctionFilePath, "--clip-name", "A001C001.mov" };
}

std::vector<std::string> filesIn(const std::string& directory)
{
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored))
    {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ToolTest
