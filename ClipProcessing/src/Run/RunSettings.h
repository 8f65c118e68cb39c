// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Correction/CorrectionModes.h"
#include "Correction/RecordingSettings.h"
#include "LensData/LensDataSettings.h"
#include "Output/OutputSettings.h"
#include "Plate/ClipDescription.h"

namespace LensCorrect
{

struct ClipIdentity;
struct LensSettings;

/// Everything one run over a clip is told: the parts, and what only the run reads.
struct RunSettings : Corrections,
                     LensDataSettings,
                     ClipDescription,
                     RecordingSettings,
                     OutputSettings
{
    std::string input;
    std::string frames; ///< Frame list; empty: every frame of the input.
    bool dryRun = false; ///< List each frame's lens data; write nothing.
    std::string writePlan; ///< Write the clip's plan to this file; render nothing.
    std::string plan; ///< Take the clip from this plan instead of reading it whole.
    bool skipExisting = false;
    bool keepGoing = false;
    bool quiet = false;
};

/// clipIdentity of the run's parts, the input standing in for a clip not named.
ClipIdentity clipIdentity(const RunSettings& settings);
/// lensSettings of the run's parts, the input standing in for a clip not named.
LensSettings lensSettings(const RunSettings& settings);

} // namespace LensCorrect
