// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

#include "Common/FrameGeometry.h"

namespace LensCorrect
{

struct OpenTrackIoSample;

/// What the samples a run uses lose in the conversion, one report line per kind (tangential
/// terms, an off-centre distortion centre, further distortion entries) with the largest
/// displacement it would have caused at a corner of a `picture`-sized frame; empty when nothing
/// is lost. With `strict` a loss throws Failure naming the
/// first sample that has it.
std::vector<std::string> statedLosses(
    const std::vector<const OpenTrackIoSample*>& used, Size picture, bool strict);

} // namespace LensCorrect
