// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport
{

/// The parts of a correction file that the tests vary; the text is built by text().
struct TestCorrectionFile
{
    struct Frame
    {
        uint32_t frameNumber;
        std::array<float, 6> shading; ///< Percent.
        std::array<float, 6> radialDistortion; ///< Thousandths of the radius.
        std::string timecode; ///< Written as is; may be empty.
    };

    std::string cameraManufacturer = "ARRI";
    std::string cameraModel = "ALEXA Mini";
    std::string sensorWidth = "23.76";
    std::string clipName = "A001C001";
    std::string videoFileName = "A001C001.mov";
    uint32_t clipWidth = 1920;
    uint32_t clipHeight = 1080;
    std::string tcFps = "25";
    bool tcDrop = false;
    uint32_t clipDurationFrames = 100; ///< 0: the header gives no length.
    std::vector<Frame> frames;

    /// The file text: every header key, the body marker and one line per frame.
    std::string text() const;
};

} // namespace TestSupport
