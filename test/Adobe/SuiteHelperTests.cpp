// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "AePlugin/TestEffect/TestEffectHost.h"

using TestEffect::TestEffectHost;

// AEGP_SuiteHandler: the test effect's sequence setup takes the handle suite through it.
TEST(AEGP_SuiteHandler, SuiteTheHostCannotSupplyEndsTheCommandWith516)
{
    const std::function<void(Host::SimulatedHost&)> hostile[] = {
        [](Host::SimulatedHost& host) { host.faults().withholdSuite(kPFHandleSuite); },
        [](Host::SimulatedHost& host) { host.faults().handOutNullSuite(kPFHandleSuite); },
        [](Host::SimulatedHost& host) { host.faults().removeBasicSuite(); },
    };
    for (const auto& makeHostile : hostile)
    {
        TestEffectHost host;
        ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
        makeHostile(host);
        EXPECT_EQ(host.send(PF_Cmd_SEQUENCE_SETUP), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_FALSE(host.lastCommand().messageShown);
        EXPECT_TRUE(host.lastCommand().suitesBalanced());
        EXPECT_EQ(host.memory().liveHandles(), 0u);
    }
}

TEST(AEGP_SuiteHandler, FootageSuitesMissingInAfterEffectsEndTheCommandWith516)
{
    for (const char* suite :
        { kAEGPPFInterfaceSuite, kAEGPLayerSuite, kAEGPFootageSuite, kAEGPMemorySuite })
    {
        SCOPED_TRACE(suite);
        TestEffectHost host;
        host.applyEffect();
        host.faults().withholdSuite(suite);
        host.setBehaviour(TestEffect::reportClip);
        EXPECT_EQ(
            host.userChangedParameter(TestEffect::argumentParameter), PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_TRUE(host.lastCommand().suitesBalanced());
        EXPECT_EQ(host.clip().livePathHandles(), 0u);
    }
}

// AEFX_SuiteScoper: the Premiere Pro file name takes the utility and string suites through it.
TEST(AEFX_SuiteScoper, SuiteTheHostCannotSupplyShowsItsMessageAndEndsWith13)
{
    const struct
    {
        const char* suite;
        bool null;
        const char* message;
    } cases[] = {
        { kPFUtilitySuite, false, "PF_UtilitySuite8 could not be loaded." },
        { kPFUtilitySuite, true, "PF_UtilitySuite8 could not be loaded." },
        { kPrSDKStringSuite, false, "PrSDKStringSuite could not be loaded." },
        { kPrSDKStringSuite, true, "PrSDKStringSuite could not be loaded." },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.message);
        TestEffectHost host(PF_APPL_ID_PREMIERE_PRO);
        host.applyEffect();
        c.null ? host.faults().handOutNullSuite(c.suite) : host.faults().withholdSuite(c.suite);
        host.setBehaviour(TestEffect::reportClip);
        EXPECT_EQ(host.userChangedParameter(TestEffect::argumentParameter), A_Err_MISSING_SUITE);
        EXPECT_TRUE(host.lastCommand().messageShown);
        EXPECT_EQ(host.lastCommand().returnMessage, c.message);
        EXPECT_TRUE(host.lastCommand().suitesBalanced());
        EXPECT_EQ(host.clip().liveStrings(), 0u);
    }
}
