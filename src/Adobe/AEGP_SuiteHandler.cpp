// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Adobe/AEGP_SuiteHandler.h"

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite* pica_basicP)
    : basicSuite(pica_basicP)
{
    if (!basicSuite || !basicSuite->AcquireSuite || !basicSuite->ReleaseSuite)
    {
        MissingSuiteError();
    }
}

AEGP_SuiteHandler::~AEGP_SuiteHandler() { ReleaseAllSuites(); }

void AEGP_SuiteHandler::MissingSuiteError()
{
    throw static_cast<PF_Err>(PF_Err_BAD_CALLBACK_PARAM);
}

const void* AEGP_SuiteHandler::LoadSuite(const char* name, A_long version) const
{
    const void* suite = nullptr;
    const A_Err error = basicSuite->AcquireSuite(name, version, &suite);
    if (error != A_Err_NONE || !suite)
    {
        if (error == A_Err_NONE)
        {
            // The host counts a success as an acquisition, even of a null suite.
            basicSuite->ReleaseSuite(name, version);
        }
        MissingSuiteError();
    }
    return suite;
}

template <typename Suite>
const Suite* AEGP_SuiteHandler::suite(const Suite*& cached, const char* name, A_long version) const
{
    if (!cached)
    {
        cached = static_cast<const Suite*>(LoadSuite(name, version));
    }
    return cached;
}

const PF_HandleSuite1* AEGP_SuiteHandler::HandleSuite1() const
{
    return suite(suites.handleSuite1, kPFHandleSuite, kPFHandleSuiteVersion1);
}

const PF_ParamUtilsSuite3* AEGP_SuiteHandler::ParamUtilsSuite3() const
{
    return suite(suites.paramUtilsSuite3, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
}

const AEGP_PFInterfaceSuite1* AEGP_SuiteHandler::PFInterfaceSuite1() const
{
    return suite(suites.pfInterfaceSuite1, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
}

const AEGP_LayerSuite14* AEGP_SuiteHandler::LayerSuite14() const
{
    return suite(suites.layerSuite14, kAEGPLayerSuite, kAEGPLayerSuiteVersion14);
}

const AEGP_FootageSuite11* AEGP_SuiteHandler::FootageSuite11() const
{
    return suite(suites.footageSuite11, kAEGPFootageSuite, kAEGPFootageSuiteVersion11);
}

const AEGP_MemorySuite1* AEGP_SuiteHandler::MemorySuite1() const
{
    return suite(suites.memorySuite1, kAEGPMemorySuite, kAEGPMemorySuiteVersion1);
}

void AEGP_SuiteHandler::ReleaseAllSuites() noexcept
{
    const auto release = [this](const void* suite, const char* name, A_long version)
    {
        if (suite)
        {
            basicSuite->ReleaseSuite(name, version);
        }
    };
    release(suites.handleSuite1, kPFHandleSuite, kPFHandleSuiteVersion1);
    release(suites.paramUtilsSuite3, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3);
    release(suites.pfInterfaceSuite1, kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1);
    release(suites.layerSuite14, kAEGPLayerSuite, kAEGPLayerSuiteVersion14);
    release(suites.footageSuite11, kAEGPFootageSuite, kAEGPFootageSuiteVersion11);
    release(suites.memorySuite1, kAEGPMemorySuite, kAEGPMemorySuiteVersion1);
}
