// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Correction/FrameCorrector.h"
#include "LensData/ClipLensData.h"

namespace PythonBindings
{

/// The tool's frame corrector for pictures of any size, with the tool's rules: 3-channel pictures
/// processed as opaque RGBA, 4-channel ones with their alpha. Frames are the clip's frame numbers,
/// 0 being the clip's first frame.
///
/// Thread-safe: calls on one object take turns; separate objects render side by side as far as
/// the library's process-wide renderer lock lets them.
class Corrector
{
public:
    explicit Corrector(LensCorrect::LensSettings lens);
    ~Corrector();
    Corrector(const Corrector&) = delete;
    Corrector& operator=(const Corrector&) = delete;

    bool shading() const { return settings.shading.has_value(); }
    bool distortion() const { return settings.distortion.has_value(); }

    /// The size of a corrected frame of a picture of `picture`'s size.
    LensCorrect::Size frameSize(uint32_t frame, LensCorrect::Size picture);
    /// `pixels`: the picture, interleaved, `channels` (3 or 4) floats a pixel, rows without gaps.
    /// The result is RGBA of frameSize; for 3 channels its alpha is 1.
    LensCorrect::RgbaImage correct(
        uint32_t frame, LensCorrect::Size picture, const float* pixels, int channels);
    /// Of frameSize; needs a distortion correction.
    LensCorrect::RgbaImage stMap(uint32_t frame, LensCorrect::Size picture);
    /// Of the picture's size; needs a shading correction.
    LensCorrect::RgbaImage gainMap(uint32_t frame, LensCorrect::Size picture);

    /// A corrected RGBA frame (one channel group) as interleaved pixels of `channels` (3 or 4)
    /// floats, as the tool writes it.
    static void join(const std::vector<LensCorrect::RgbaImage>& frame, int channels, float* pixels);

private:
    /// The frame corrector of the picture's size; the lock must be held.
    LensCorrect::FrameCorrector& correctorFor(LensCorrect::Size picture);
    /// The lens data key of a clip frame, by the tool's rules: a frame before the clip's first
    /// record or beyond its length has none (throws Failure). The lock must be held.
    LensCorrect::LensDataKey key(uint32_t frame);

    const LensCorrect::LensSettings settings;
    std::mutex mutex;
    LensCorrect::ClipLensData lensData;
    // One picture size at a time: a pipeline keeps to one size, and a new corrector only asks
    // the process-wide cache for the parsed correction file again.
    std::unique_ptr<LensCorrect::FrameCorrector> corrector;
    LensCorrect::Size correctorPicture;
};

} // namespace PythonBindings
