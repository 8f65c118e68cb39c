// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "Common/Failure.h"
#include "Run/Progress.h"

namespace LensCorrect
{

/// What a run tells its user: lines of its own, failed frames, the progress bar. Failures may
/// come from any thread.
class RunReport
{
public:
    RunReport(std::ostream& messages, bool keepGoing);

    /// A line of its own (a line feed is added when missing).
    void say(const std::string& text);
    /// A frame failed: its texts are shown, and without --keep-going the run halts.
    void fail(int number, const Failure& failure);
    /// Frames that failed before the run began (missing files), already reported.
    void addFailed(const std::vector<int>& numbers);

    void startProgress(size_t frameCount, bool terminal, bool quiet);
    Progress& progress() { return *bar; }

    bool halted() const { return halt; }
    std::vector<int> failedFrames() const;

    /// "1001, 1003-1005": numbers as ascending ranges, cut short after 20 ranges.
    static std::string rangesText(std::vector<int> numbers);

private:
    std::ostream& messages;
    const bool keepGoing;
    std::unique_ptr<Progress> bar;
    mutable std::mutex mutex;
    std::vector<int> failed;
    std::atomic<bool> halt { false };
};

} // namespace LensCorrect
