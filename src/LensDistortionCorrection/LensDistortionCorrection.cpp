// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensDistortionCorrection/LensDistortionCorrection.h"

#include <memory>

#include "LensDistortionCorrection/LensDistortionCorrectionDataSource.h"

LensDistortionCorrection::LensDistortionCorrection()
    : LensCorrection(std::make_unique<LensDistortionCorrectionDataSource>())
{
}

std::string LensDistortionCorrection::pluginId() const
{
    return "com.vuzev.LensCorrection.Distortion";
}

void LensDistortionCorrection::about()
{
    writeAboutText("VUZEV Lens Distortion Correction v%u.%u.%u");
}

void LensDistortionCorrection::globalSetup()
{
    LensCorrection::globalSetup();
    setPluginVersion();
}

const char* LensDistortionCorrection::correctionModeString() const { return "Undistort|Distort"; }
