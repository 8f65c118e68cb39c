// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

namespace CorrectionData
{

/// The header of a correction file (or of frame metadata JSON): one field per header key.
/// Value-initialise it (Header header{};) for empty texts, zero numbers and false flags.
struct Header
{
    // Lens.
    std::string lensManufacturer;
    std::string lensTypeName;
    std::string lensSerialNumber;
    uint16_t lensMinFocalLength = 0;
    uint16_t lensMaxFocalLength = 0;
    // Camera.
    std::string cameraManufacturer;
    std::string cameraModel;
    float sensorWidth = 0.0f; ///< Width of the used sensor image area, mm.
    // Clip.
    std::string clipName;
    std::string videoFileName; ///< Never empty after a successful correction file parse.
    uint32_t clipDurationFrames = 0;
    uint32_t clipWidth = 0; ///< Pixels.
    uint32_t clipHeight = 0; ///< Pixels.
    // Timecode.
    float tcFps = 0.0f; ///< Greater than 0 after a successful correction file parse.
    bool tcDrop = false;
    // Shading correction.
    bool enableLensShadingCorrection = false;
    float shadingGamma = 0.0f;
    // Distortion correction.
    bool enableLensDistortionCorrection = false;
    float distortionZoom = 0.0f;
};

} // namespace CorrectionData
