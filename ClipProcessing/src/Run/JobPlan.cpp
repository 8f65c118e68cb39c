// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/JobPlan.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>

#include "Output/FrameWriter.h"
#include "Plate/FrameList.h"
#include "Plate/FramePattern.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

namespace
{

    std::string canonical(const std::string& path)
    {
        std::error_code ignored;
        const fs::path canonicalPath = fs::weakly_canonical(fs::absolute(path), ignored);
        return canonicalPath.empty() ? path : canonicalPath.string();
    }

} // namespace

std::vector<int> missingFrames(
    const RunSettings& options, const ClipFrames& clip, std::vector<int>* present)
{
    std::set<int> available;
    for (const InputFrame& frame : clip.frames)
    {
        available.insert(frame.number);
    }
    std::vector<int> numbers;
    std::vector<int> missing;
    if (options.frames.empty())
    {
        for (size_t i = 0; i < clip.frames.size(); ++i)
        {
            numbers.push_back(clip.frames[i].number);
            // The gaps between the frames found.
            for (int64_t number = i ? int64_t(clip.frames[i - 1].number) + 1 : numbers.back();
                 number < clip.frames[i].number && missing.size() <= maximumFrameListSize; ++number)
            {
                missing.push_back(int(number));
            }
        }
    }
    else
    {
        for (const int number : parseFrameList(options.frames))
        {
            (available.count(number) ? numbers : missing).push_back(number);
        }
    }
    if (present)
    {
        *present = std::move(numbers);
    }
    return missing;
}

std::vector<Job> planJobs(const RunSettings& options, const ClipFrames& clip, RunReport& report)
{
    std::vector<int> numbers;
    const std::vector<int> missing = missingFrames(options, clip, &numbers);
    if (!missing.empty())
    {
        const Failure failure("Frames of the input sequence are missing.",
            "Input: \"" + clip.inputName + "\"\nMissing Frames: " + RunReport::rangesText(missing));
        if (!options.keepGoing)
        {
            throw failure;
        }
        report.say("lenscorrect: " + failure.detailed());
        report.addFailed(missing);
    }
    return jobsFor(options, clip, numbers);
}

std::vector<Job> jobsFor(
    const RunSettings& options, const ClipFrames& clip, const std::vector<int>& numbers)
{
    std::map<int, const InputFrame*> byNumber;
    for (const InputFrame& frame : clip.frames)
    {
        byNumber.emplace(frame.number, &frame);
    }
    // One pattern per kind of output; none where that output is not wanted.
    struct Destination
    {
        const char* name;
        const std::string& text;
        std::optional<FramePattern> pattern;
    };
    Destination destinations[] = { { "output", options.output, {} },
        { "--stmap", options.stMap, {} }, { "--gain-map", options.gainMap, {} } };
    for (Destination& destination : destinations)
    {
        if (destination.text.empty())
        {
            continue;
        }
        destination.pattern.emplace(destination.text);
        if (numbers.size() > 1 && !destination.pattern->hasFrameField())
        {
            throw Failure(std::string("The ") + destination.name
                    + " pattern has no frame number field, so every frame would overwrite "
                      "the last.",
                "Pattern: \"" + destination.text + "\"\nFrames: " + std::to_string(numbers.size())
                    + "\nHint: write the frame number as #### or %04d");
        }
    }
    const auto path = [&](const Destination& destination, int number)
    { return destination.pattern ? destination.pattern->path(number) : std::string(); };

    const int previewFrame = options.previewFrame.value_or(numbers.empty() ? 0 : numbers.front());
    if (!options.preview.empty()
        && std::find(numbers.begin(), numbers.end(), previewFrame) == numbers.end())
    {
        // A preview frame outside the run's frames would be rendered by no job.
        throw Failure(byNumber.count(previewFrame)
                ? "The preview frame is not one of the frames this run corrects."
                : "The preview frame is not a frame of the input.",
            "Preview Frame: " + std::to_string(previewFrame)
                + (options.frames.empty() ? std::string() : "\nFrames: " + options.frames)
                + "\nHint: give a --preview-frame within --frames");
    }
    // Only a preview is wanted: the other frames need not be read at all.
    const bool previewOnly = !options.preview.empty() && options.output.empty()
        && options.stMap.empty() && options.gainMap.empty() && !options.dryRun;
    std::vector<Job> jobs;
    for (const int number : numbers)
    {
        if (previewOnly && number != previewFrame)
        {
            continue;
        }
        Job job;
        job.frame = *byNumber.at(number);
        job.lens = clip.lens.at(number);
        job.output = path(destinations[0], number);
        job.stMap = path(destinations[1], number);
        job.gainMap = path(destinations[2], number);
        job.preview = !options.preview.empty() && number == previewFrame;
        jobs.push_back(job);
    }
    return jobs;
}

void prepareOutputs(const RunSettings& options, const std::vector<std::string>& inputFiles,
    const std::vector<Job>& jobs, bool createDirectories)
{
    std::set<std::string> inputs;
    for (const std::string& file : inputFiles)
    {
        inputs.insert(canonical(file));
    }
    const auto check = [&](const std::string& path)
    {
        if (path.empty())
        {
            return;
        }
        std::error_code ignored;
        bool same = inputs.count(canonical(path)) > 0;
        for (auto input = inputs.begin();
             !same && fs::exists(path, ignored) && input != inputs.end(); ++input)
        {
            same = fs::equivalent(path, *input, ignored);
        }
        if (same)
        {
            throw Failure("The output would overwrite an input file; the input is never "
                          "overwritten.",
                "Output: \"" + path + "\"");
        }
    };
    std::set<std::string> outputs;
    for (const Job& job : jobs)
    {
        for (const std::string* path : { &job.output, &job.stMap, &job.gainMap })
        {
            check(*path);
            if (!path->empty() && !outputs.insert(canonical(*path)).second)
            {
                throw Failure("Two outputs of the run would be written to the same file.",
                    "Output: \"" + *path + "\"");
            }
        }
    }
    check(options.preview);
    if (!jobs.empty() && createDirectories)
    {
        for (const std::string* path :
            { &jobs.front().output, &jobs.front().stMap, &jobs.front().gainMap, &options.preview })
        {
            if (path->empty())
            {
                continue;
            }
            FrameWriter::formatForPath(*path);
            const fs::path directory = fs::absolute(*path).parent_path();
            std::error_code error;
            fs::create_directories(directory, error);
            if (error)
            {
                throw Failure("The output directory cannot be created.",
                    "Directory: \"" + directory.string() + "\"\nReason: " + error.message());
            }
        }
    }
}

std::vector<Job> unfinishedJobs(const RunSettings& options, const std::vector<Job>& jobs,
    const OutputCheck& check, std::vector<int>& skipped,
    std::vector<std::pair<int, std::string>>& redone)
{
    std::vector<Job> work;
    for (Job job : jobs)
    {
        std::error_code ignored;
        const auto exists = [&](const std::string& path)
        { return path.empty() || fs::is_regular_file(path, ignored); };
        if (options.skipExisting && exists(job.output) && exists(job.stMap) && exists(job.gainMap))
        {
            // Someone else's copy may have left an empty or short file, or another run's frame.
            std::string reason;
            for (const auto& [kind, path] :
                { std::pair<OutputKind, const std::string*> { OutputKind::frame, &job.output },
                    { OutputKind::stMap, &job.stMap }, { OutputKind::gainMap, &job.gainMap } })
            {
                if (!path->empty() && reason.empty())
                {
                    const std::string why = check(job, kind, *path);
                    reason = why.empty() ? why : "\"" + *path + "\" " + why;
                }
            }
            if (!reason.empty())
            {
                redone.emplace_back(job.frame.number, reason);
                work.push_back(job);
                continue;
            }
            skipped.push_back(job.frame.number);
            if (!job.preview)
            {
                continue;
            }
            job.output.clear();
            job.stMap.clear();
            job.gainMap.clear();
        }
        work.push_back(job);
    }
    return work;
}

} // namespace LensCorrect
