// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Core/CoreDataSource.h"
#include "RecordingFormatDatabase/RecordingFormat.h"

namespace Core
{

/// The library's entry point: corrects lens shading and distortion of frames, pulling everything
/// it needs about the clip and the frame from its CoreDataSource.
///
/// Failures never leave as exceptions: frameSize, render and recordingFormat return false and
/// keep a brief and a detailed description, readable until the next of these calls.
///
/// Not thread-safe per object: calls on one object must not overlap. Separate objects may be
/// used from separate threads; the renderers and the cache of parsed correction files they share
/// are locked inside.
class Core
{
public:
    /// Takes ownership of the data source; asks it nothing yet.
    explicit Core(std::unique_ptr<CoreDataSource> dataSource);
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    /// Size in pixels of the frame the requested correction produces for the current frame (the
    /// input size for shading, possibly larger for distortion). With neither correction requested
    /// it returns true and leaves both untouched.
    bool frameSize(uint32_t& width, uint32_t& height);

    /// Corrects one frame. `input` and `output` are interleaved RGBA float buffers of the data
    /// source's width x height pixels and `size` bytes each (width x height x 16). `input` must be
    /// null when a map is requested and must be set otherwise. With neither correction requested
    /// it returns true and leaves `output` untouched.
    bool render(const float* input, float* output, size_t size);

    /// The recording format implied by the clip's correction data (the data source's manual
    /// choice is not consulted).
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat);

    /// Copy the description of the last failed call with its NUL. false when there is none or
    /// when it does not fit `capacity` (the buffer is then untouched; texts are never cut).
    bool briefErrorDescription(char* description, size_t capacity) const;
    bool detailedErrorDescription(char* description, size_t capacity) const;

    /// The metadata key under which a camera of the manufacturer, recording in the container
    /// format (for example "ARRI", "MXF"), stores the clip file name, or the start timecode. false
    /// when unknown or when the key does not fit `keyCapacity`. Thread-safe; no object needed.
    static bool metadataKeyForClipFileName(const char* c_cameraManufacturer,
        const char* c_containerFormat, char* c_key, size_t keyCapacity);
    static bool metadataKeyForTimecode(const char* c_cameraManufacturer,
        const char* c_containerFormat, char* c_key, size_t keyCapacity);

    class CorePrivate;

private:
    template <typename Operation> bool captureErrors(Operation operation);

    std::unique_ptr<CorePrivate> corePrivate;
    std::shared_ptr<const std::string> briefDescription;
    std::shared_ptr<const std::string> detailedDescription;
};

} // namespace Core
