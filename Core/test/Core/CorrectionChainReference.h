// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>

#include "Renderer/DistortionParameter.h"
#include "Renderer/ShadingParameter.h"

namespace CoreTest
{

// An independent double-precision computation of what the pipeline hands the renderers: the
// recording format's image radius from a header, and the quintic fits through the six radii.

/// Half the diagonal of the sensor area a header with this sensor width and clip size uses, mm.
double imageRadiusForHeader(double sensorWidth, uint32_t clipWidth, uint32_t clipHeight);

/// The frame geometry the records share.
struct FrameGeometry
{
    uint32_t width;
    uint32_t height;
    uint32_t originalWidth;
    uint32_t originalHeight;
    double imageRadius; ///< mm, overscan included.
};

Renderer::ShadingParameter shadingParameter(
    const FrameGeometry& geometry, const std::array<float, 6>& shading, bool reverse);

Renderer::DistortionParameter distortionParameter(
    const FrameGeometry& geometry, const std::array<float, 6>& radialDistortion, bool reverse);

} // namespace CoreTest
