// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostFaults.h"

namespace Host
{

void HostFaults::withholdSuite(const std::string& name) { withheld.insert(name); }

void HostFaults::handOutNullSuite(const std::string& name) { handedOutNull.insert(name); }

void HostFaults::removeBasicSuite() { basicSuiteGone = true; }

void HostFaults::removeUtilityCallbacks() { utilityCallbacksGone = true; }

void HostFaults::failHandleAllocations(bool fail) { allocationsFail = fail; }

void HostFaults::truncateStringCopiesWithoutZero(bool truncate)
{
    stringCopiesTruncated = truncate;
}

void HostFaults::failFootageCall(FootageCall call) { failingFootageCall = call; }

bool HostFaults::suiteWithheld(const std::string& name) const { return withheld.count(name) > 0; }

bool HostFaults::suiteHandedOutNull(const std::string& name) const
{
    return handedOutNull.count(name) > 0;
}

bool HostFaults::basicSuiteRemoved() const { return basicSuiteGone; }

bool HostFaults::utilityCallbacksRemoved() const { return utilityCallbacksGone; }

bool HostFaults::handleAllocationsFail() const { return allocationsFail; }

bool HostFaults::stringCopiesTruncatedWithoutZero() const { return stringCopiesTruncated; }

bool HostFaults::fails(FootageCall call) const
{
    return call != FootageCall::none && call == failingFootageCall;
}

} // namespace Host
