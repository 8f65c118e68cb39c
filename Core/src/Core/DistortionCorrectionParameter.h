// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace Core
{

/// How to correct radial lens distortion.
struct DistortionCorrectionParameter
{
    /// false: remove the distortion ("Undistort"); true: apply it ("Distort").
    bool reverse;
    /// true: render a coordinate map instead of correcting an input frame.
    bool renderMap;
};

} // namespace Core
