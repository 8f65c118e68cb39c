// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Core/DistortionCorrectionParameter.h"
#include "Core/FrameData.h"
#include "Core/ShadingCorrectionParameter.h"
#include "CorrectionData/Frame.h"
#include "RecordingFormatDatabase/RecordingFormat.h"
#include "Renderer/DistortionParameter.h"
#include "Renderer/ShadingParameter.h"

// The pipeline's configuration step: from the frame, its recording format and its correction
// values to the renderers' parameter records, with the polynomial fits in between.

namespace Core
{

/// The radius of the frame's image on the sensor, mm: the recording format's radius widened by
/// the overscan.
float frameImageRadius(
    const FrameData& frameData, const RecordingFormatDatabase::RecordingFormat& recordingFormat);

/// Fills the whole shading record: frame geometry, the frame's image radius, the quintic fitted
/// through the frame's six shading values, the direction and a gamma of 1. A failing fit throws
/// with the record partly written.
void configureShading(Renderer::ShadingParameter& parameter,
    const ShadingCorrectionParameter& correction, const FrameData& frameData,
    const RecordingFormatDatabase::RecordingFormat& recordingFormat,
    const CorrectionData::Frame& frame);

/// Fills the whole distortion record: frame geometry, the radial maps fitted both ways between
/// the recorded and the undistorted image, and the image radius on either side, ordered for the
/// direction. A failing fit throws with the record partly written.
void configureDistortion(Renderer::DistortionParameter& parameter,
    const DistortionCorrectionParameter& correction, const FrameData& frameData,
    const RecordingFormatDatabase::RecordingFormat& recordingFormat,
    const CorrectionData::Frame& frame);

} // namespace Core
