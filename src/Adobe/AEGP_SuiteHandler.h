// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Adobe/HostInterface.h"

/// Suites for one operation: each is acquired from the host's basic suite on first use and all
/// acquired ones are released when the handler goes. A null basic suite, or a suite the host
/// cannot supply (an error, or success with a null suite), throws the integer
/// PF_Err_BAD_CALLBACK_PARAM (516). Create it on the stack for the length of one operation.
class AEGP_SuiteHandler
{
public:
    explicit AEGP_SuiteHandler(const SPBasicSuite* pica_basicP);
    ~AEGP_SuiteHandler();
    AEGP_SuiteHandler(const AEGP_SuiteHandler&) = delete;
    AEGP_SuiteHandler& operator=(const AEGP_SuiteHandler&) = delete;

    const PF_HandleSuite1* HandleSuite1() const;
    const PF_ParamUtilsSuite3* ParamUtilsSuite3() const;
    const AEGP_PFInterfaceSuite1* PFInterfaceSuite1() const;
    const AEGP_LayerSuite14* LayerSuite14() const;
    const AEGP_FootageSuite11* FootageSuite11() const;
    const AEGP_MemorySuite1* MemorySuite1() const;

    [[noreturn]] static void MissingSuiteError();

private:
    struct Suites
    {
        const PF_HandleSuite1* handleSuite1 = nullptr;
        const PF_ParamUtilsSuite3* paramUtilsSuite3 = nullptr;
        const AEGP_PFInterfaceSuite1* pfInterfaceSuite1 = nullptr;
        const AEGP_LayerSuite14* layerSuite14 = nullptr;
        const AEGP_FootageSuite11* footageSuite11 = nullptr;
        const AEGP_MemorySuite1* memorySuite1 = nullptr;
    };

    const void* LoadSuite(const char* name, A_long version) const;
    template <typename Suite>
    const Suite* suite(const Suite*& cached, const char* name, A_long version) const;
    void ReleaseAllSuites() noexcept;

    const SPBasicSuite* basicSuite;
    mutable Suites suites; // filled lazily by the const accessors
};
