// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Correction/LensDataKey.h"
#include "LensData/MappedFrame.h"
#include "Plate/InputClip.h"
#include "Run/RunReport.h"
#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// One frame to process, where its lens data comes from and where its results go.
struct Job
{
    InputFrame frame;
    MappedFrame lens;
    std::string output;
    std::string stMap;
    std::string gainMap;
    bool preview = false;
};

/// The frames a run can take, ascending, each with where it finds its lens data: the whole
/// input's frames with the frame mapping's answers, or the rows of a plan.
struct ClipFrames
{
    std::string inputName; ///< For messages.
    std::vector<InputFrame> frames;
    std::map<int, MappedFrame> lens;
};

/// The frames the options ask for (every frame between the clip's first and last, or those of
/// --frames) that the input lacks, ascending; `present`, when given, receives those it has.
std::vector<int> missingFrames(
    const RunSettings& options, const ClipFrames& clip, std::vector<int>* present = nullptr);

/// The frames the options ask for, each with its outputs' paths. Missing input frames fail the
/// run, or with --keep-going are reported and left out. Throws as jobsFor does.
std::vector<Job> planJobs(const RunSettings& options, const ClipFrames& clip, RunReport& report);

/// The jobs of frames of the clip, each with its outputs' paths. Throws Failure for a pattern
/// that would write every frame to one file, or a preview frame outside the input.
std::vector<Job> jobsFor(
    const RunSettings& options, const ClipFrames& clip, const std::vector<int>& numbers);

/// The outputs of a job.
enum class OutputKind
{
    frame,
    stMap,
    gainMap,
};

/// Why an existing output does not count as written; empty when it does.
using OutputCheck
    = std::function<std::string(const Job& job, OutputKind kind, const std::string& path)>;

/// The jobs left to do: under --skip-existing those whose outputs all exist and pass `check` are
/// done and listed in `skipped`; those with an existing output that fails it are done again and
/// listed in `redone` with the reason. The preview frame is still rendered among the skipped,
/// without its outputs.
std::vector<Job> unfinishedJobs(const RunSettings& options, const std::vector<Job>& jobs,
    const OutputCheck& check, std::vector<int>& skipped,
    std::vector<std::pair<int, std::string>>& redone);

/// Refuses outputs that would overwrite one of the `inputs` or each other, checks that every
/// output's format is known, and creates the output directories unless told not to. Throws
/// Failure.
void prepareOutputs(const RunSettings& options, const std::vector<std::string>& inputs,
    const std::vector<Job>& jobs, bool createDirectories = true);

} // namespace LensCorrect
