// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

namespace LensCorrect
{

/// What is known of the clip beyond its frames: its original file and name, and how its frames
/// map onto the lens data.
struct ClipDescription
{
    std::string clip; ///< The clip's original file; empty: the input.
    std::string clipName; ///< Overrides the name checked against the correction file.
    std::optional<int> firstFrame; ///< The plate frame that is the clip's frame 0.
    float framesPerSecond = 0.0f; ///< 0: unknown.
    std::string startTimecode; ///< Timecode of the clip's frame 0; empty: none.
};

} // namespace LensCorrect
