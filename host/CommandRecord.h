// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <string>

#include "Adobe/HostInterface.h"

namespace Host
{

/// Acquisitions and releases of one suite (by name and version) during one command.
struct SuiteCount
{
    int acquired = 0;
    int released = 0;
};

/// What one command did, as the host saw it after the call.
struct CommandRecord
{
    PF_Cmd command = 0;
    PF_Err result = PF_Err_NONE;
    PF_OutFlags outFlags = 0;
    /// return_msg, up to its terminating zero (also when not shown).
    std::string returnMessage;
    /// PF_OutFlag_DISPLAY_ERROR_MESSAGE was set: the host showed returnMessage.
    bool messageShown = false;
    /// return_msg had a terminating zero within its 256 bytes.
    bool returnMessageTerminated = true;
    /// Key: suite name, "/", version (e.g. "PF Handle Suite/2").
    std::map<std::string, SuiteCount> suites;

    /// Every suite acquired in the command was released by its end, and nothing more.
    bool suitesBalanced() const;
};

} // namespace Host
