// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <ostream>

#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// The command line read, or why there is nothing to run.
struct CommandLine
{
    /// Absent when help was asked for or the command line is wrong.
    std::optional<RunSettings> options;
    /// With no options: 0 after help, 2 after a usage error.
    int exitStatus = 0;
};

/// Reads the arguments with CLI11. Help goes to `out`, usage errors to `err`.
CommandLine parseCommandLine(
    int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace LensCorrect
