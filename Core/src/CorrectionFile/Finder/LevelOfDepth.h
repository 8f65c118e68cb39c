// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

namespace CorrectionFile
{

/// How far the finder searches around a clip's directory.
struct LevelOfDepth
{
    uint8_t subdirectories = 0; ///< Levels below the clip directory.
    uint8_t parentDirectories = 0; ///< Parent levels above the clip directory.
    uint8_t subdirectoriesOfParentDirectories = 0; ///< Levels below each parent searched.
};

} // namespace CorrectionFile
