// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <utility>

#include "Common/FrameGeometry.h"
#include "Settings/Extraction.h"

namespace LensCorrect
{

/// The recording format as entered by hand, and where the plate's picture lies in the recording.
struct RecordingSettings
{
    std::optional<std::pair<float, float>> sensorSize; ///< mm
    std::optional<Size> resolution;
    std::optional<float> imageDiameter; ///< mm
    std::optional<Size> sizeWithoutOverscan;
    /// The plate's picture as a window of the recording.
    std::optional<Extraction> extraction;
};

} // namespace LensCorrect
