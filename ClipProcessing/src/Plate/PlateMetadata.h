// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Common/Failure.h"
#include "Plate/InputClip.h"

namespace LensCorrect
{

/// What one plate frame's own header says about where it comes from.
struct PlateFrameFacts
{
    std::string path;
    /// "HH:MM:SS:FF" as the file carries it; none when the file has no timecode.
    std::optional<std::string> timecode;
    std::string timecodeAttribute;
    bool dropFrame = false;
    /// The file's own frame rate; 0 when it names none.
    float framesPerSecond = 0.0f;
    /// The camera's clip name, and the attribute it was found under.
    std::optional<std::string> clipName;
    std::string clipNameAttribute;
    std::optional<float> focalLength; ///< mm
    std::optional<float> focusDistance; ///< m
    /// Set when the header cannot be read or its timecode attribute is unusable; the frame cannot
    /// be mapped by its timecode then.
    std::optional<Failure> timecodeFailure;
    /// Set when the clip name attribute is there but empty or not text.
    std::optional<Failure> clipNameFailure;
};

/// The header facts of every frame of a clip, read once before anything is rendered: for a
/// sequence every file's header, for a movie its container's start timecode, counted on.
class PlateMetadata
{
public:
    /// `clipNameAttributes`: where the camera may keep its clip name in these files, in the
    /// order to try them. A header that cannot be read fails its frame only.
    PlateMetadata(const InputClip& clip, const std::vector<std::string>& clipNameAttributes);

    const PlateFrameFacts& frame(int number) const { return facts.at(number); }
    /// Whether any frame carries a timecode.
    bool hasTimecode() const;

    /// The container name the metadata key table uses for the clip's files ("EXR", "DPX",
    /// "MOV", ...).
    static std::string containerName(const InputClip& clip);
    /// The attributes under which cameras that record this container keep the clip name: the
    /// library's keys for `manufacturer` (every maker the key table lists when empty), without
    /// the key's first element, which names the container.
    static std::vector<std::string> clipNameAttributes(
        const std::string& manufacturer, const std::string& container);

private:
    std::map<int, PlateFrameFacts> facts;
};

} // namespace LensCorrect
