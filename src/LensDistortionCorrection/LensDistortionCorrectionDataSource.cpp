// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensDistortionCorrection/LensDistortionCorrectionDataSource.h"

#include "LensCorrection/LensCorrectionParameter.h"

bool LensDistortionCorrectionDataSource::shouldPerformShadingCorrection(
    Core::ShadingCorrectionParameter&) const
{
    return false;
}

bool LensDistortionCorrectionDataSource::shouldPerformDistortionCorrection(
    Core::DistortionCorrectionParameter& parameter) const
{
    parameter.reverse = LensCorrectionParameter(ae).correctionMode() == 1; // "Distort"
    parameter.renderMap = false;
    return true;
}
