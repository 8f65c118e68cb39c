// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// An OpenTrackIO sample's lens as the library takes it: six shading and six distortion values
// at the library's six radii, in its frame JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "RecordingFormatDatabase/RecordingFormat.h"
#include "lenscorrect/OpenTrackIoSamples.h"

namespace LensCorrect
{

namespace OpenTrackIo
{

    /// The camera facts of a `static` block.
    struct Camera
    {
        double width = 0.0;
        double height = 0.0;
        uint32_t pixelsWide = 0;
        uint32_t pixelsHigh = 0;
        std::string make;
        std::string model;
    };

    /// Sets the sample's sensor width, radius scale and frame metadata from its first
    /// `distortion` entry and the exposure falloff a1, a2, a3; `recordingFormat`: a format the
    /// library is told instead of the camera's, whose radii are scaled to the sample's
    /// millimetres. Throws SampleProblem where the frame JSON is longer than the library takes.
    void convertLens(OpenTrackIoSample& sample, const Camera& camera,
        const std::array<double, 3>& falloff,
        const std::optional<RecordingFormatDatabase::RecordingFormat>& recordingFormat);

} // namespace OpenTrackIo

} // namespace LensCorrect
