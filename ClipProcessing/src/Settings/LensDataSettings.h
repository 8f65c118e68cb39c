// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace LensCorrect
{

/// Where a run takes its lens data from, besides the clip itself.
struct LensDataSettings
{
    std::string correctionFile; ///< Empty: searched for around the clip's file.
    std::string openTrackIo; ///< OpenTrackIO samples file: per-frame lens data instead.
    bool strict = false; ///< OpenTrackIO lens data the correction cannot represent fails.
};

} // namespace LensCorrect
