// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Common/FrameGeometry.h"
#include "Output/Provenance.h"

namespace LensCorrect
{

/// What an output file must be to count as written by this run.
struct ExpectedOutput
{
    Size size; ///< Of its pixels (an EXR's data window).
    int channels = 0;
    /// The tool's attributes it must carry, in the formats that keep them (EXR, PNG): the same
    /// lens data, record and corrections.
    Provenance provenance;
};

/// Why an existing file is not the expected output; empty when it is. It must open as an
/// image of the expected size and channels, carry the same provenance where its format keeps
/// it, and reach its last row of pixels, which a truncated file loses first. Only the header
/// and that last row (one chunk of the file) are read, never the whole image.
std::string whyNotWritten(const std::string& path, const ExpectedOutput& expected);

} // namespace LensCorrect
