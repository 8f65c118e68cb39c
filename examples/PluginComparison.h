// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace Example
{

/// One frame of the recorded plate rendered through a plug-in in the simulated host, as After
/// Effects would render it with the clip's correction file beside the clip, next to
/// lenscorrect's result for the same frame.
struct PluginComparison
{
    std::string plugin; ///< Path of the plug-in's shared object.
    bool shading = true; ///< The shading plug-in, or the distortion one.
    std::string plate; ///< The frame's file (16-bit RGBA TIFF).
    std::string clipPath; ///< The clip's original file (need not exist).
    std::string toolResult; ///< lenscorrect's float EXR of the same frame and correction.

    /// The largest difference between the plug-in's 16-bit output and the tool's result, in
    /// steps of the host's 16-bit channels (1/32768), over every pixel of the plug-in's frame.
    /// Throws std::runtime_error when the plug-in fails.
    double largestDifference() const;
};

} // namespace Example
