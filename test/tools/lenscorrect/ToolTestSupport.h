// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"

namespace ToolTest
{

/// What a run of the tool said and returned.
struct ToolRun
{
    int status = -1;
    std::string messages;
};

/// Runs the tool's library part with a command line (without the program name), as the program
/// does, on this thread.
ToolRun runTool(const std::vector<std::string>& arguments);

/// Runs the lenscorrect program (or another) with arguments; standard output and error together.
ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments);

/// A test image: interleaved floats of `channels` channels.
struct Image
{
    OIIO::ImageSpec spec;
    std::vector<float> pixels;

    float at(int x, int y, int channel) const
    {
        return pixels[(size_t(y - spec.y) * spec.width + size_t(x - spec.x)) * spec.nchannels
            + channel];
    }
};

/// A smooth picture with values between 0.05 and 0.95 (alpha between 0.5 and 1), different in
/// every channel and frame.
Image testImage(int width, int height, int channels, int frame = 0);

/// Writes an image with OpenImageIO in the data type of its spec; throws when it cannot.
void writeImage(const std::string& path, const Image& image);
/// Reads a whole image as floats; throws when it cannot.
Image readImage(const std::string& path);

/// Writes `count` frames of testImage numbered from `first` as printf-style `pattern`
/// ("dir/plate.%04d.exr") in `format`.
void writeSequence(const std::string& pattern, int first, int count, int width, int height,
    int channels, OIIO::TypeDesc format);

/// Writes frames (8-bit RGB images of one size) as an uncompressed AVI movie: the one container
/// that OpenImageIO's read-only FFmpeg reader takes and a test can write without an encoder.
/// `timecode`: the movie's start timecode, when not empty; the rate is `rate` / `scale` fps.
void writeMovie(const std::string& path, const std::vector<Image>& frames,
    const std::string& timecode = std::string(), uint32_t rate = 25, uint32_t scale = 1);

/// A correction file for the clip "A001C001.mov" (1920 x 1080, 25 fps) whose frame n has the
/// given shading (percent, at every radius) and radial distortion (thousandths, scaled with the
/// square of the radius up to `distortion` at 21.4 mm).
TestSupport::TestCorrectionFile correctionFile(
    const std::vector<std::pair<float, float>>& shadingAndDistortionPerFrame);

/// The options that name the correction file and the clip.
std::vector<std::string> lensData(const std::string& correctionFilePath);

/// Files in a directory, sorted, names only (hidden ones included).
std::vector<std::string> filesIn(const std::string& directory);

} // namespace ToolTest
