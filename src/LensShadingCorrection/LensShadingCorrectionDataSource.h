// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "LensCorrection/LensCorrectionDataSource.h"

/// Asks the library for the shading correction only, in the direction of "Correction Mode".
class LensShadingCorrectionDataSource : public LensCorrectionDataSource
{
public:
    bool shouldPerformShadingCorrection(Core::ShadingCorrectionParameter& parameter) const override;
    bool shouldPerformDistortionCorrection(
        Core::DistortionCorrectionParameter& parameter) const override;
};
