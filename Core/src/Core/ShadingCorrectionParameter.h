// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace Core
{

/// How to correct lens shading (vignetting).
struct ShadingCorrectionParameter
{
    /// false: remove the shading (divide by the factor); true: add it (multiply by the factor).
    bool reverse;
    /// true: render a map of the correction factor instead of correcting an input frame.
    bool renderMap;
};

} // namespace Core
