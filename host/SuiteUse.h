// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "host/CommandRecord.h"

namespace Host
{

/// The record of what a plug-in asked of the host's suites and callbacks: acquisitions and
/// releases counted into the command in progress, the formats handed to the host's sprintf, and
/// calls with handles the host does not know.
class SuiteUse
{
public:
    /// Counts suites into `record` until end().
    void begin(CommandRecord& record);
    void end();

    void acquired(const std::string& name, A_long version);
    void released(const std::string& name, A_long version);
    void sprintfCalled(const char* format);
    /// A call with a handle, block or string the host does not know (or a double unlock).
    void misused();

    /// The format of every call of the host's sprintf, in order.
    const std::vector<std::string>& sprintfFormats() const { return formats; }
    std::size_t misuse() const { return misuseCount; }

private:
    SuiteCount* count(const std::string& name, A_long version);

    CommandRecord* running = nullptr;
    std::vector<std::string> formats;
    std::size_t misuseCount = 0;
};

} // namespace Host
