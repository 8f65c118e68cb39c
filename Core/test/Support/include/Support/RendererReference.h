// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <vector>

#include "Renderer/DistortionParameter.h"
#include "Renderer/ShadingParameter.h"

namespace TestSupport
{

// Double-precision CPU results of the renderers for frames of currentWidth × currentHeight
// interleaved RGBA pixels, computed with plain geometry, independent of the kernel text.

/// Shading removed (reverse == 0) or added, alpha kept.
std::vector<float> referenceShading(
    const Renderer::ShadingParameter& parameter, const std::vector<float>& input);

/// The factor the image is multiplied by in the three colour channels, alpha 1.
std::vector<float> referenceShadingMap(const Renderer::ShadingParameter& parameter);

/// Every output pixel resampled bilinearly at its radially mapped position in the input, with
/// pixels outside the frame counting as (0, 0, 0, 0).
std::vector<float> referenceDistortion(
    const Renderer::DistortionParameter& parameter, const std::vector<float>& input);

/// (x / width, y / height, 0, 1) for every pixel.
std::vector<float> referenceDistortionMap(const Renderer::DistortionParameter& parameter);

} // namespace TestSupport
