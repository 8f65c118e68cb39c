// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensShadingCorrection/LensShadingCorrectionDataSource.h"

#include "LensCorrection/LensCorrectionParameter.h"

bool LensShadingCorrectionDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter& parameter) const
{
    parameter.reverse = LensCorrectionParameter(ae).correctionMode() == 1; // "Add Shading"
    parameter.renderMap = false;
    return true;
}

bool LensShadingCorrectionDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter&) const
{
    return false;
}
