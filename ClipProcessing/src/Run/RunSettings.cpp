// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/RunSettings.h"

#include "Correction/ClipSettings.h"

namespace LensCorrect
{

ClipIdentity clipIdentity(const RunSettings& settings)
{
    return clipIdentity(settings, settings, settings.input);
}

LensSettings lensSettings(const RunSettings& settings)
{
    return lensSettings(settings, settings, settings, settings, settings.input);
}

} // namespace LensCorrect
