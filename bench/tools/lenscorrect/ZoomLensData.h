// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"

namespace BenchmarkClip
{

/// The benchmark program's folder, removed when it ends.
inline TestSupport::TemporaryDirectory& directory()
{
    static TestSupport::TemporaryDirectory instance;
    return instance;
}

/// Writes the lens data of a zoom over the clip "A001C001.mov" to A001C001.tlcf: shading and
/// distortion change from frame to frame by `step(number)`; the header states
/// `clipDurationFrames` as the clip's length.
template <typename Step>
std::string writeZoomLensData(uint32_t frames, uint32_t clipDurationFrames, Step step)
{
    TestSupport::TestCorrectionFile file;
    file.videoFileName = "A001C001.mov";
    file.clipDurationFrames = clipDurationFrames;
    for (uint32_t number = 0; number < frames; ++number)
    {
        const float change = step(number);
        file.frames.push_back(
            { number, { 100.0f, 97.0f - change, 90.0f, 78.0f, 68.0f, 55.0f + change },
                { 0.0f, -2.0f, -8.0f - change, -18.0f, -26.0f, -38.0f + change }, "" });
    }
    return directory().writeFile("A001C001.tlcf", file.text());
}

} // namespace BenchmarkClip
