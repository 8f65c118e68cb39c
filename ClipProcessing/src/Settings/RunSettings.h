// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Settings/ClipDescription.h"
#include "Settings/CorrectionModes.h"
#include "Settings/LensDataSettings.h"
#include "Settings/OutputSettings.h"
#include "Settings/RecordingSettings.h"

namespace LensCorrect
{

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

} // namespace LensCorrect
