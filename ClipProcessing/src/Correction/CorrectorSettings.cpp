// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Correction/CorrectorSettings.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/FrameArithmetic.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat(
    const RecordingSettings& options)
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
            "Size Without Overscan: " + pixelSizeText(*sizeWithoutOverscan));
    }
    return *percent;
}

void checkClipName(const std::string& name, const std::string& source)
{
    const bool control = std::any_of(name.begin(), name.end(),
        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
    if (!control && name.find_first_of("/\\") == std::string::npos
        && name.find("..") == std::string::npos)
    {
        return;
    }
    // Printed escaped: a control character in a message could rewrite the terminal.
    std::string shown;
    for (const char c : name)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
        {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", byte);
            shown += escaped;
        }
        else
        {
            shown += c;
        }
    }
    throw Failure("The clip name holds a path separator, \"..\" or a control character; a clip "
                  "name must be a name.",
        "Clip Name: \"" + shown + "\"\nSource: " + source);
}

ClipIdentity clipIdentity(
    const LensDataSettings& lensData, const ClipDescription& clip, const std::string& input)
{
    fs::path clipFile = fs::absolute(clip.clip.empty() ? input : clip.clip);
    if (!clip.clipName.empty())
    {
        checkClipName(clip.clipName, "--clip-name");
        clipFile = clipFile.parent_path() / clip.clipName;
    }
    return { lensData.correctionFile.empty() ? std::string()
                                             : fs::absolute(lensData.correctionFile).string(),
        clipFile.lexically_normal().string() };
}

LensSettings lensSettings(const Corrections& corrections, const LensDataSettings& lensData,
    const ClipDescription& clip, const RecordingSettings& recording, const std::string& input)
{
    LensSettings settings;
    settings.shading = corrections.shading;
    settings.distortion = corrections.distortion;
    settings.identity = clipIdentity(lensData, clip, input);
    settings.manualRecordingFormat = manualRecordingFormat(recording);
    settings.framesPerSecond = clip.framesPerSecond;
    settings.startTimecode = clip.startTimecode;
    settings.sizeWithoutOverscan = recording.sizeWithoutOverscan;
    settings.extraction = recording.extraction;
    return settings;
}

ClipIdentity clipIdentity(const RunSettings& settings)
{
    return clipIdentity(settings, settings, settings.input);
}

LensSettings lensSettings(const RunSettings& settings)
{
    return lensSettings(settings, settings, settings, settings, settings.input);
}

} // namespace LensCorrect
