// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Runs the library's main job on a built-in example: a correction file as a camera rig writes it
// and a synthetic 1920x1080 float RGBA frame go to a temporary directory; Core::Core then removes
// the lens shading of the frame and undistorts it, as the two plug-ins do for every host frame.
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/filesystem.hpp>

#include "Core/Core.h"

namespace fs = boost::filesystem;

namespace
{

const char* const clipFileName = "A014C007_230614_R2KQ.mov";
const char* const startTimecode = "14:03:10:00";
constexpr uint32_t frameWidth = 1920;
constexpr uint32_t frameHeight = 1080;
constexpr uint32_t frameNumber = 12; // The frame of the clip to correct.

// A take of an ALEXA Mini in 16:9 HD, with the lens data of a 25 mm prime focused near and far.
const char* const correctionFileText = R"(HEADER_START
lensManufacturer:=Example Optics
lensTypeName:=Prime 25
lensSerialNumber:=EO25-00417
lensMinFocalLength:=25
lensMaxFocalLength:=25
cameraManufacturer:=ARRI
cameraModel:=ALEXA Mini
sensorWidth:=23.76
clipName:=A014C007_230614_R2KQ
videoFileName:=A014C007_230614_R2KQ.mov
clipDurationFrames:=48
clipWidth:=1920
clipHeight:=1080
tcFps:=25
tcDrop:=0
enableLensShadingCorrection:=1
shadingGamma:=1
enableLensDistortionCorrection:=1
distortionZoom:=1
HEADER_END
frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;timecode
0;100,97.8,91.2,80.4,72.1,61.3;0,-1.9,-7.8,-17.4,-25.2,-36.9;25;1.2;2.8;1;2.9;14.03.10.00
8;100,97.7,91,80.1,71.8,60.9;0,-1.9,-7.9,-17.6,-25.5,-37.3;25;1.5;2.8;1;2.9;14.03.10.08
16;100,97.6,90.8,79.8,71.4,60.5;0,-2,-8,-17.9,-25.9,-37.8;25;2.1;2.8;1;2.9;14.03.10.16
24;100,97.5,90.6,79.5,71.1,60.1;0,-2,-8.1,-18.1,-26.2,-38.2;25;3.4;2.8;1;2.9;14.03.10.24
32;100,97.4,90.4,79.2,70.8,59.8;0,-2.1,-8.2,-18.3,-26.5,-38.6;25;6;2.8;1;2.9;14.03.11.07
40;100,97.3,90.2,78.9,70.5,59.4;0,-2.1,-8.3,-18.5,-26.8,-39;25;12;2.8;1;2.9;14.03.11.15
)";

/// Answers the library's questions for one frame of the example clip.
class ExampleDataSource : public Core::CoreDataSource
{
public:
    ExampleDataSource(std::string correctionFilePath, bool shading, uint32_t width, uint32_t height)
        : path(std::move(correctionFilePath))
        , shading(shading)
        , width(width)
        , height(height)
    {
    }

    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override
    {
        parameter = { false, false }; // Remove shading, correct the frame.
        return shading;
    }
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override
    {
        parameter = { false, false }; // Undistort, correct the frame.
        return !shading;
    }
    bool frameMetadata(char*, size_t) const override { return false; }
    bool correctionFilePath(char* buffer, size_t capacity) const override
    {
        return copy(path, buffer, capacity);
    }
    bool clipFileName(char* buffer, size_t capacity) const override
    {
        return copy(::clipFileName, buffer, capacity);
    }
    bool clipFilePath(char*, size_t) const override { return false; }
    bool frameData(Core::FrameData& frameData) const override
    {
        frameData = {};
        frameData.frameNumber = frameNumber;
        frameData.framesPerSecond = 25.0f;
        std::strcpy(frameData.startTimecode, startTimecode);
        frameData.width = width;
        frameData.height = height;
        frameData.overscan = 0.0f;
        return true;
    }
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat&) const override
    {
        return false; // No manual choice: the format comes from the correction file.
    }

private:
    static bool copy(const std::string& text, char* buffer, size_t capacity)
    {
        if (text.size() + 1 > capacity)
        {
            return false;
        }
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return true;
    }

    std::string path;
    bool shading;
    uint32_t width;
    uint32_t height;
};

/// A fresh directory under the system temporary directory, removed at the end.
class TemporaryDirectory
{
public:
    TemporaryDirectory()
        : path(fs::temp_directory_path() / fs::unique_path("lens-correct-example-%%%%-%%%%"))
    {
        fs::create_directories(path);
    }
    ~TemporaryDirectory()
    {
        boost::system::error_code ignored;
        fs::remove_all(path, ignored);
    }
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const fs::path path;
};

void writeFile(const fs::path& path, const char* data, size_t size)
{
    std::ofstream stream(path.string(), std::ios::binary | std::ios::trunc);
    stream.write(data, std::streamsize(size));
    if (!stream)
    {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::vector<float> readFrame(const fs::path& path, size_t floatCount)
{
    std::vector<float> pixels(floatCount);
    std::ifstream stream(path.string(), std::ios::binary);
    stream.read(
        reinterpret_cast<char*>(pixels.data()), std::streamsize(floatCount * sizeof(float)));
    if (!stream)
    {
        throw std::runtime_error("cannot read " + path.string());
    }
    return pixels;
}

/// A grey card lit evenly, with a fine grid so that distortion shows: what a lens test shoots.
std::vector<float> syntheticFrame()
{
    std::vector<float> pixels(size_t(frameWidth) * frameHeight * 4);
    for (uint32_t y = 0; y < frameHeight; ++y)
    {
        for (uint32_t x = 0; x < frameWidth; ++x)
        {
            const bool line = x % 120 == 0 || y % 120 == 0;
            float* pixel = &pixels[(size_t(y) * frameWidth + x) * 4];
            pixel[0] = line ? 0.05f : 0.45f;
            pixel[1] = line ? 0.05f : 0.46f;
            pixel[2] = line ? 0.05f : 0.44f;
            pixel[3] = 1.0f;
        }
    }
    return pixels;
}

struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

void check(bool succeeded, const Core::Core& core, const char* what)
{
    if (succeeded)
    {
        return;
    }
    std::vector<char> brief(4096, '\0');
    std::vector<char> detailed(16384, '\0');
    core.briefErrorDescription(brief.data(), brief.size());
    core.detailedErrorDescription(detailed.data(), detailed.size());
    throw Failure(std::string(what) + " failed: " + brief.data() + "\n" + detailed.data());
}

void printPixel(
    const char* label, const std::vector<float>& pixels, uint32_t width, uint32_t x, uint32_t y)
{
    const float* pixel = &pixels[(size_t(y) * width + x) * 4];
    std::printf("    %-22s (%4u, %4u)  %.4f %.4f %.4f %.4f\n", label, x, y, pixel[0], pixel[1],
        pixel[2], pixel[3]);
}

double milliseconds(std::chrono::steady_clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

/// Renders the frame twice: the first call of the process also builds the OpenCL renderers.
void renderTwice(Core::Core& core, const std::vector<float>& input, std::vector<float>& output)
{
    double times[2];
    for (double& time : times)
    {
        const auto start = std::chrono::steady_clock::now();
        check(
            core.render(input.data(), output.data(), input.size() * sizeof(float)), core, "render");
        time = milliseconds(std::chrono::steady_clock::now() - start);
    }
    std::printf("  time per frame:        %.1f ms (first call: %.1f ms)\n", times[1], times[0]);
}

void run()
{
    TemporaryDirectory directory;
    const fs::path correctionFile = directory.path / "A014C007_230614_R2KQ.tlcf";
    writeFile(correctionFile, correctionFileText, std::strlen(correctionFileText));
    const std::vector<float> synthetic = syntheticFrame();
    const fs::path frameFile = directory.path / "frame-1920x1080.rgba32f";
    writeFile(frameFile, reinterpret_cast<const char*>(synthetic.data()),
        synthetic.size() * sizeof(float));
    const std::vector<float> input = readFrame(frameFile, synthetic.size());

    std::printf("Correction file: %s\nFrame:           %s (%ux%u float RGBA, frame %u from %s)\n",
        correctionFile.c_str(), frameFile.c_str(), frameWidth, frameHeight, frameNumber,
        startTimecode);

    // Shading removal keeps the frame size.
    Core::Core shading(std::make_unique<ExampleDataSource>(
        correctionFile.string(), true, frameWidth, frameHeight));
    RecordingFormatDatabase::RecordingFormat format;
    check(shading.recordingFormat(format), shading, "recordingFormat");
    std::printf("Recording format: %.2f x %.3f mm, %ux%u px, image radius %.4f mm\n",
        format.imageAreaWidth, format.imageAreaHeight, format.clipResolutionWidth,
        format.clipResolutionHeight, format.imageAreaRadius);

    uint32_t width = frameWidth;
    uint32_t height = frameHeight;
    check(shading.frameSize(width, height), shading, "frameSize");
    std::vector<float> shaded(input.size());
    std::printf(
        "\nRemove shading: frame %ux%u -> output %ux%u\n", frameWidth, frameHeight, width, height);
    renderTwice(shading, input, shaded);
    std::printf("  pixel                  position      before                  after\n");
    for (const auto& [label, x, y] : { std::tuple { "centre", 965u, 545u },
             std::tuple { "halfway to the corner", 485u, 275u }, std::tuple { "corner", 5u, 5u } })
    {
        std::printf("    %-22s (%4u, %4u)  %.4f %.4f %.4f  ->  %.4f %.4f %.4f\n", label, x, y,
            input[(y * frameWidth + x) * 4], input[(y * frameWidth + x) * 4 + 1],
            input[(y * frameWidth + x) * 4 + 2], shaded[(y * frameWidth + x) * 4],
            shaded[(y * frameWidth + x) * 4 + 1], shaded[(y * frameWidth + x) * 4 + 2]);
    }

    // Undistortion needs a larger frame: ask for its size, then centre the shading-corrected
    // frame in a cleared buffer of that size, as the plug-ins do.
    Core::Core sizing(std::make_unique<ExampleDataSource>(
        correctionFile.string(), false, frameWidth, frameHeight));
    width = frameWidth;
    height = frameHeight;
    check(sizing.frameSize(width, height), sizing, "frameSize");
    std::vector<float> centred(size_t(width) * height * 4, 0.0f);
    const uint32_t left = (width - frameWidth) / 2;
    const uint32_t top = (height - frameHeight) / 2;
    for (uint32_t y = 0; y < frameHeight; ++y)
    {
        std::memcpy(&centred[((size_t(y) + top) * width + left) * 4],
            &shaded[size_t(y) * frameWidth * 4], size_t(frameWidth) * 4 * sizeof(float));
    }
    Core::Core distortion(
        std::make_unique<ExampleDataSource>(correctionFile.string(), false, width, height));
    std::vector<float> undistorted(centred.size());
    std::printf(
        "\nUndistort: frame %ux%u -> output %ux%u\n", frameWidth, frameHeight, width, height);
    renderTwice(distortion, centred, undistorted);
    std::printf("  output pixels\n");
    printPixel("centre", undistorted, width, width / 2 + 5, height / 2 + 5);
    printPixel("frame's top left", undistorted, width, left + 5, top + 5);
    printPixel("output corner", undistorted, width, 0, 0);
    std::printf("\nDone.\n");
}

} // namespace

int main()
{
    try
    {
        run();
        return 0;
    }
    catch (const std::exception& exception)
    {
        std::fprintf(stderr, "lens-correct-example: %s\n", exception.what());
        return 1;
    }
}
