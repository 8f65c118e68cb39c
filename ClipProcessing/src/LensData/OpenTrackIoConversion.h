// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// An OpenTrackIO sample's lens as the library takes it: six shading and six distortion values
// at the library's six radii, in its frame JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "LensData/OpenTrackIoSamples.h"
#include "RecordingFormatDatabase/RecordingFormat.h"

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

    /// The radius (in the library's units) at which the plate's corner lies: the six values
    /// are spread over the plate, so that the library's curves are never extrapolated on it.
    constexpr double cornerRadius = 21.4;

    /// Sets the sample's sensor width, radius scale, shading problem and frame metadata from its
    /// first `distortion` entry (none: no distortion) and the exposure falloff a1, a2, a3. The
    /// recording format is the camera's active area in units where the plate's corner, at
    /// `plateCorner` times the active area's, lies at cornerRadius. Throws SampleProblem where
    /// the frame JSON is longer than the library takes.
    void convertLens(OpenTrackIoSample& sample, const Camera& camera,
        const std::array<double, 3>& falloff, double plateCorner);

    /// A recording format the library is told in place of the samples' own, in the same units:
    /// the same picture, the corner of a plate with `overscanPercent` at cornerRadius.
    RecordingFormatDatabase::RecordingFormat inLibraryUnits(
        const RecordingFormatDatabase::RecordingFormat& format, float overscanPercent);

} // namespace OpenTrackIo

} // namespace LensCorrect
