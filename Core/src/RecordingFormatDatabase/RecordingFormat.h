// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

namespace RecordingFormatDatabase
{

/// The sensor image area a recording format uses and the clip resolution it records.
struct RecordingFormat
{
    float imageAreaWidth = 0.0f; ///< mm
    float imageAreaHeight = 0.0f; ///< mm
    uint32_t clipResolutionWidth = 0; ///< pixels
    uint32_t clipResolutionHeight = 0; ///< pixels
    float imageAreaRadius = 0.0f; ///< Half the image area diagonal, mm.
};

/// Half the diagonal of an image area, mm. The halves are taken in single precision and the rest
/// in double precision, so every part of the library derives the same float from the same sizes.
float imageAreaRadius(float imageAreaWidth, float imageAreaHeight);

} // namespace RecordingFormatDatabase
