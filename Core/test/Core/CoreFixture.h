// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Core/Core.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"
#include "Support/TestCorrectionFile.h"

namespace CoreTest
{

/// Small frames of the correction files' 16:9 format keep the kernels fast on a CPU device.
constexpr uint32_t frameWidth = 192;
constexpr uint32_t frameHeight = 108;

/// A Core around a TestCoreDataSource that the test keeps configuring after handing it over.
struct Subject
{
    Subject();
    std::unique_ptr<Core::Core> core;
    TestSupport::TestCoreDataSource* source;

    /// Correction-file mode with the clip the file names, shading removal and a frame.
    void useCorrectionFile(
        const std::string& path, const std::string& clipFileName = "A001C001.mov");
    /// Corrections of whole frames (no maps), in the given directions.
    void requestCorrections(
        bool shading, bool shadingReverse, bool distortion, bool distortionReverse);
    /// The shading in percent of a frame whose shading is uniform, read from a shading map of
    /// the frame (input null).
    float shadingPercent(const Core::FrameData& frameData);
    std::string briefError() const;
    std::string detailedError() const;
};

class CoreFixture : public ::testing::Test
{
protected:
    std::string writeCorrectionFile(
        const std::string& name, const TestSupport::TestCorrectionFile& file) const;

    TestSupport::TemporaryDirectory directory;
};

/// A frame whose six shading values are all `shading` percent (a constant factor of
/// shading / 100) and whose distortion is zero.
TestSupport::TestCorrectionFile::Frame uniformFrame(
    uint32_t frameNumber, float shading, const std::string& timecode = "");

/// The frame the pixel tests correct: realistic shading and barrel distortion.
TestSupport::TestCorrectionFile::Frame lensFrame(uint32_t frameNumber);

/// Smooth colours with a varying alpha, width x height RGBA pixels.
std::vector<float> syntheticFrame(uint32_t width, uint32_t height);

} // namespace CoreTest
