// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace CorrectionData
{

/// Lens data of one frame at the six interpolation radii (0, 5, 10, 15, 18, 21.4 mm).
struct Frame
{
    uint32_t frameNumber = 0;
    std::array<float, 6> shading {}; ///< Percent, 0 to 100.
    std::array<float, 6> radialDistortion {}; ///< At most 100 in absolute value.
    std::string timecode; ///< As written in the file, with '.' made ':'.
};

} // namespace CorrectionData
