// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "LensData/ClipLensData.h"
#include "Plate/PlateMetadata.h"
#include "Run/JobPlan.h"

namespace LensCorrect
{

/// The lens data record each job takes, as the user sees it.
class MappingListing
{
public:
    MappingListing(
        const std::vector<Job>& jobs, const PlateMetadata& plate, ClipLensData& lensData);

    /// One line per frame: its file, its timecode, the record and timecode it maps to, the
    /// focal length and focus distance where the file has them, or why it has no lens data.
    std::vector<std::string> frameLines() const;
    /// Runs of consecutive frames that take ascending records, a line each, for the log of a
    /// real run.
    std::vector<std::string> summaryLines() const;
    /// Whether every frame finds its lens data.
    bool complete() const;

    /// One job's record, as the lens data gives it.
    struct Entry
    {
        const Job* job = nullptr;
        const PlateFrameFacts* facts = nullptr;
        bool found = false;
        LensRecord record;
        unsigned long long order = 0; ///< Of the record in the lens data.
        std::string reason; ///< Why not found.
        std::optional<Failure> failure; ///< Why not found, in full.
        /// The frame finds a record it may not take (RefusedRecord).
        bool refused = false;
    };
    /// In the order of the jobs.
    const std::vector<Entry>& frames() const { return entries; }

private:
    std::vector<Entry> entries;
};

} // namespace LensCorrect
