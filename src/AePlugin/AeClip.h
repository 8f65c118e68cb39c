// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>

#include "AePlugin/AeInterface.h"

/// The clip of the layer the effect is applied to, asked of the host during the current call.
/// After Effects gives the footage's full path, Premiere Pro only its file name. Missing values
/// are false results; only a suite the host cannot supply ends the command (the integers 516 and
/// 13 of AEGP_SuiteHandler and AEFX_SuiteScoper).
class AeClip
{
public:
    explicit AeClip(std::shared_ptr<AeInterface> ae);

    /// After Effects only: the footage path in UTF-8. False (and `path` unchanged) when the host
    /// has none (a solid, a precomposition), when it is empty or is not valid UTF-16.
    bool filePath(std::string& path) const;
    /// The clip's file name without directory, in UTF-8. False (and `name` unchanged) when none.
    bool fileName(std::string& name) const;

private:
    bool premiereProFileName(std::string& name) const;

    std::shared_ptr<AeInterface> ae;
};
