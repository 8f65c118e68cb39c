// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/ClipSettings.h"

#include <cmath>
#include <filesystem>

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
    RecordingFormatDatabase::RecordingFormat format;
    format.imageAreaWidth = options.sensorSize->first;
    format.imageAreaHeight = options.sensorSize->second;
    format.clipResolutionWidth = options.resolution->width;
    format.clipResolutionHeight = options.resolution->height;
    float width = format.imageAreaWidth;
    float height = format.imageAreaHeight;
    const float x = float(format.clipResolutionWidth);
    const float y = float(format.clipResolutionHeight);
    if (x != 0.0f && width != 0.0f && height == 0.0f && y != 0.0f)
    {
        height = width * (y / x);
    }
    else if (width == 0.0f && height != 0.0f && x != 0.0f && y != 0.0f)
    {
        width = height * (x / y);
    }
    float diameter = 0.0f;
    if (options.imageDiameter)
    {
        diameter = *options.imageDiameter;
    }
    else if (width != 0.0f && height != 0.0f)
    {
        diameter = float(std::sqrt(double(width) * width + double(height) * height));
    }
    format.imageAreaRadius = diameter * 0.5f;
    return format;
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
