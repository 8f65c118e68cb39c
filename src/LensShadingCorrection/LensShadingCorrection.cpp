// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensShadingCorrection/LensShadingCorrection.h"

#include <memory>

#include "LensShadingCorrection/LensShadingCorrectionDataSource.h"

LensShadingCorrection::LensShadingCorrection()
    : LensCorrection(std::make_unique<LensShadingCorrectionDataSource>())
{
}

std::string LensShadingCorrection::pluginId() const { return "com.vuzev.LensCorrection.Shading"; }

void LensShadingCorrection::about() { writeAboutText("VUZEV Lens Shading Correction v%u.%u.%u"); }

void LensShadingCorrection::globalSetup()
{
    LensCorrection::globalSetup();
    setPluginVersion();
}

const char* LensShadingCorrection::correctionModeString() const
{
    return "Remove Shading|Add Shading";
}
