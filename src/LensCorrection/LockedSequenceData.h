// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>

#include "Adobe/AEGP_SuiteHandler.h"
#include "AePlugin/AeInterface.h"
#include "LensCorrection/SequenceData.h"

/// The current call's sequence data, locked through the host's handle suite for the life of the
/// object. The block comes back from project files, so it is used only when the host passed one,
/// could lock it and (where the host reports handle sizes) it holds all 4108 bytes.
class LockedSequenceData
{
public:
    explicit LockedSequenceData(const AeInterface& ae);
    ~LockedSequenceData();
    LockedSequenceData(const LockedSequenceData&) = delete;
    LockedSequenceData& operator=(const LockedSequenceData&) = delete;

    /// The block, or null when there is no usable one.
    SequenceData* get();
    /// The block; without a usable one the command is refused with an error pair.
    SequenceData& required();

private:
    const AeInterface& ae;
    std::optional<AEGP_SuiteHandler> suites;
    PF_Handle handle = nullptr;
    unsigned long long handleSize = SequenceData::size;
    std::optional<SequenceData> block;
};
