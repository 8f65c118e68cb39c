// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

#include "lenscorrect/FrameMapping.h"
#include "lenscorrect/InputClip.h"
#include "lenscorrect/Options.h"
#include "lenscorrect/RunReport.h"

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

/// The frames the options ask for, each with its outputs' paths. Missing input frames fail the
/// run, or with --keep-going are reported and left out. Throws Failure for a pattern that
/// would write every frame to one file, or a preview frame outside the input.
std::vector<Job> planJobs(
    const Options& options, const InputClip& clip, const FrameMapping& mapping, RunReport& report);

/// The jobs left to do: under --skip-existing those whose outputs all exist are done and listed in
/// `skipped`; the preview frame is still rendered among them, without its outputs.
std::vector<Job> unfinishedJobs(
    const Options& options, const std::vector<Job>& jobs, std::vector<int>& skipped);

/// Refuses outputs that would overwrite an input or each other, checks that every output's
/// format is known, and creates the output directories. Throws Failure.
void prepareOutputs(const Options& options, const InputClip& clip, const std::vector<Job>& jobs);

} // namespace LensCorrect
