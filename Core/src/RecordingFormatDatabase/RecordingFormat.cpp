// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "RecordingFormatDatabase/RecordingFormat.h"

#include <cmath>

namespace RecordingFormatDatabase
{

float imageAreaRadius(float imageAreaWidth, float imageAreaHeight)
{
    const double halfWidth = imageAreaWidth / 2.0f;
    const double halfHeight = imageAreaHeight / 2.0f;
    return static_cast<float>(std::sqrt(halfWidth * halfWidth + halfHeight * halfHeight));
}

} // namespace RecordingFormatDatabase
