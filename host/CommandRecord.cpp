// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/CommandRecord.h"

namespace Host
{

bool CommandRecord::suitesBalanced() const
{
    for (const auto& entry : suites)
    {
        if (entry.second.acquired != entry.second.released)
        {
            return false;
        }
    }
    return true;
}

} // namespace Host
