// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/SuiteUse.h"

namespace Host
{

void SuiteUse::begin(CommandRecord& record) { running = &record; }

void SuiteUse::end() { running = nullptr; }

SuiteCount* SuiteUse::count(const std::string& name, A_long version)
{
    return running ? &running->suites[name + "/" + std::to_string(version)] : nullptr;
}

void SuiteUse::acquired(const std::string& name, A_long version)
{
    if (SuiteCount* suite = count(name, version))
    {
        ++suite->acquired;
    }
}

void SuiteUse::released(const std::string& name, A_long version)
{
    if (SuiteCount* suite = count(name, version))
    {
        ++suite->released;
    }
}

void SuiteUse::sprintfCalled(const char* format) { formats.emplace_back(format ? format : ""); }

void SuiteUse::misused() { ++misuseCount; }

} // namespace Host
