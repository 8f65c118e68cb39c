// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace LensCorrect
{

enum class ShadingMode
{
    remove,
    add,
};

enum class DistortionMode
{
    undistort,
    distort,
};

} // namespace LensCorrect
