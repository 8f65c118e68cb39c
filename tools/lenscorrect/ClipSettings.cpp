// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/ClipSettings.h"

#include <filesystem>

#include "Core/FrameArithmetic.h"
#include "lenscorrect/Failure.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat(
    const Options& options)
{
    if (!options.sensorSize && !options.resolution && !options.imageDiameter)
    {
        return std::nullopt;
    }
    if (!options.sensorSize || !options.resolution)
    {
        throw Failure("A manual recording format needs both --sensor-size and --resolution.");
    }
    return Core::manualRecordingFormat(options.sensorSize->first, options.sensorSize->second,
        options.resolution->width, options.resolution->height, options.imageDiameter);
}

float overscanPercent(Size plate, const std::optional<Size>& sizeWithoutOverscan)
{
    if (!sizeWithoutOverscan)
    {
        return 0.0f;
    }
    const std::optional<float> percent = Core::overscanPercent(
        plate.width, plate.height, sizeWithoutOverscan->width, sizeWithoutOverscan->height);
    if (!percent)
    {
        throw Failure("The picture without overscan (--size-without-overscan) is a single pixel, "
                      "too small to measure the overscan against.",
            "Size Without Overscan: " + std::to_string(sizeWithoutOverscan->width) + "x"
                + std::to_string(sizeWithoutOverscan->height) + " px");
    }
    return *percent;
}

ClipIdentity clipIdentity(const Options& options)
{
    fs::path clip = fs::absolute(options.clip.empty() ? options.input : options.clip);
    if (!options.clipName.empty())
    {
        clip = clip.parent_path() / options.clipName;
    }
    return { options.correctionFile.empty() ? std::string()
                                            : fs::absolute(options.correctionFile).string(),
        clip.lexically_normal().string() };
}

LensSettings lensSettings(const Options& options)
{
    LensSettings settings;
    settings.shading = options.shading;
    settings.distortion = options.distortion;
    settings.identity = clipIdentity(options);
    settings.manualRecordingFormat = manualRecordingFormat(options);
    settings.framesPerSecond = options.framesPerSecond;
    settings.startTimecode = options.startTimecode;
    settings.sizeWithoutOverscan = options.sizeWithoutOverscan;
    return settings;
}

} // namespace LensCorrect
