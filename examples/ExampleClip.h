// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Example
{

/// The built-in example clip: a test chart as a camera would see it through a perfect lens, and
/// the lens data of a zoom pulled from wide to long during the take.
struct ExampleClip
{
    uint32_t width = 1920;
    uint32_t height = 1080;
    uint32_t frameCount = 24;
    int firstFrame = 1001; ///< Sequence number of the clip's frame 0.

    static constexpr const char* clipFileName = "A001C001_260614_R1AB.mov";

    /// The chart in sRGB-encoded RGBA floats (alpha 1), rows top to bottom: a grid every 96
    /// pixels at 1080 lines, edges and colour patches, all with transitions a few pixels wide.
    std::vector<float> chart() const;

    /// A correction file for the clip: per frame, shading and distortion that change as a zoom
    /// goes from wide (strong vignetting, barrel distortion) to long (little vignetting,
    /// pincushion distortion).
    std::string correctionFile() const;
};

} // namespace Example
