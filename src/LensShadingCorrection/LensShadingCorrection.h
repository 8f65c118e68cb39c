// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "LensCorrection/LensCorrection.h"

/// The shading plug-in: corrects lens shading (vignetting), or adds it.
class LensShadingCorrection : public LensCorrection
{
public:
    LensShadingCorrection();

protected:
    std::string pluginId() const override;
    void about() override;
    void globalSetup() override;
    const char* correctionModeString() const override;
};
