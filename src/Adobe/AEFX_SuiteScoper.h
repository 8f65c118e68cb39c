// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Adobe/HostInterface.h"
#include "Adobe/ReturnMessage.h"

/// One suite, acquired at construction and released at destruction. If the host cannot supply
/// it (an error, success with a null suite, or no basic suite at all), the constructor writes
/// `errorMessage` (or "Not able to acquire AEFX Suite.") to the message area when `outData` is
/// given, asks the host to show it, and throws the integer A_Err_MISSING_SUITE (13).
template <typename Suite> class AEFX_SuiteScoper
{
public:
    AEFX_SuiteScoper(const PF_InData* inData, const char* suiteName, A_long suiteVersion,
        PF_OutData* outData = nullptr, const char* errorMessage = nullptr)
        : basicSuite(inData ? inData->pica_basicP : nullptr)
        , name(suiteName)
        , version(suiteVersion)
    {
        const void* acquired = nullptr;
        const bool succeeded = basicSuite && basicSuite->AcquireSuite && basicSuite->ReleaseSuite
            && basicSuite->AcquireSuite(name, version, &acquired) == A_Err_NONE;
        if (succeeded && acquired)
        {
            suite = static_cast<const Suite*>(acquired);
            return;
        }
        if (succeeded)
        {
            // The host counts a success as an acquisition, even of a null suite.
            basicSuite->ReleaseSuite(name, version);
        }
        if (outData)
        {
            writeReturnMessage(
                inData, outData, errorMessage ? errorMessage : "Not able to acquire AEFX Suite.");
        }
        throw static_cast<PF_Err>(A_Err_MISSING_SUITE);
    }

    ~AEFX_SuiteScoper() { basicSuite->ReleaseSuite(name, version); }

    AEFX_SuiteScoper(const AEFX_SuiteScoper&) = delete;
    AEFX_SuiteScoper& operator=(const AEFX_SuiteScoper&) = delete;

    const Suite* operator->() const { return suite; }
    const Suite* get() const { return suite; }

private:
    const SPBasicSuite* basicSuite;
    const char* name;
    A_long version;
    const Suite* suite = nullptr;
};
