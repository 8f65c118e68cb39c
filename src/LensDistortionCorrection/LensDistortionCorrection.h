// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "LensCorrection/LensCorrection.h"

/// The distortion plug-in: corrects radial lens distortion, or adds it.
class LensDistortionCorrection : public LensCorrection
{
public:
    LensDistortionCorrection();

protected:
    std::string pluginId() const override;
    void about() override;
    void globalSetup() override;
    const char* correctionModeString() const override;
};
