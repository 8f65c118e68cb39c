// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Common/FrameGeometry.h"

namespace LensCorrect
{

/// The last component of a '/'-separated path: the whole text without a separator, empty after a
/// trailing one.
std::string fileName(const std::string& path);

/// `value` in the shortest of fixed or exponent form with `significantDigits` ("%g").
std::string numberText(double value, int significantDigits);

/// "1920x1080", as options and plans write a size.
std::string sizeText(Size size);

/// "1920x1080 px", as messages name a size.
std::string pixelSizeText(Size size);

} // namespace LensCorrect
