// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Image/RgbaImage.h"

namespace LensCorrect
{

/// Writes a before/after picture for people who would rather look than read: the plate on the
/// left, the corrected frame on the right at the same scale (so an enlarged frame shows larger),
/// at most 540 pixels high, in sRGB, with a grid of straight lines over both halves, centred on
/// each. Both images are in linear light. Throws Failure.
void writePreview(const std::string& path, const RgbaImage& before, const RgbaImage& after);

} // namespace LensCorrect
