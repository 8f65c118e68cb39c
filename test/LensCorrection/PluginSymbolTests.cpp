// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include "Support/SharedObjectSymbols.h"

// Anything more would let the two plug-ins' copies of the library bind to each other in a host.
TEST(LensCorrectionPlugins, ExportTheEntryPointOnly)
{
    for (const char* plugin : { LC_SHADING_PLUGIN, LC_DISTORTION_PLUGIN })
    {
        EXPECT_EQ(
            HostTest::definedDynamicSymbols(plugin), std::vector<std::string> { "EntryPointFunc" })
            << plugin;
    }
}
