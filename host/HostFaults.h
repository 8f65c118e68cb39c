// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <set>
#include <string>

namespace Host
{

/// The footage calls of After Effects that a test can make fail (a layer without footage fails
/// AEGP_GetMainFootageFromItem, as a solid or a precomposition does).
enum class FootageCall
{
    none,
    getEffectLayer,
    getLayerSourceItem,
    getMainFootageFromItem,
    getFootageNumFiles,
    getFootagePath,
    lockMemHandle,
};

/// Hostile behaviour a test asks of the host; none at start. Each holds until changed.
class HostFaults
{
public:
    /// AcquireSuite fails with A_Err_MISSING_SUITE for every version of this suite name.
    void withholdSuite(const std::string& name);
    /// AcquireSuite returns success and a null suite for this suite name.
    void handOutNullSuite(const std::string& name);
    /// in_data->pica_basicP is null.
    void removeBasicSuite();
    /// in_data->utils is null.
    void removeUtilityCallbacks();
    /// host_new_handle returns null (no memory).
    void failHandleAllocations(bool fail);
    /// CopyToUTF8String fills the whole buffer with the string's first bytes, without a
    /// terminating zero, and reports success (a host that truncates silently).
    void truncateStringCopiesWithoutZero(bool truncate);
    /// After Effects: this footage call (and so the path) fails from now on.
    void failFootageCall(FootageCall call);

    bool suiteWithheld(const std::string& name) const;
    bool suiteHandedOutNull(const std::string& name) const;
    bool basicSuiteRemoved() const;
    bool utilityCallbacksRemoved() const;
    bool handleAllocationsFail() const;
    bool stringCopiesTruncatedWithoutZero() const;
    bool fails(FootageCall call) const;

private:
    std::set<std::string> withheld;
    std::set<std::string> handedOutNull;
    bool basicSuiteGone = false;
    bool utilityCallbacksGone = false;
    bool allocationsFail = false;
    bool stringCopiesTruncated = false;
    FootageCall failingFootageCall = FootageCall::none;
};

} // namespace Host
