// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/MappingListing.h"

#include <cstdio>
#include <filesystem>

namespace LensCorrect
{

namespace
{

    std::string number(float value, const char* unit)
    {
        char text[48];
        std::snprintf(text, sizeof(text), "%g %s", double(value), unit);
        return text;
    }

    std::string range(const std::string& first, const std::string& last)
    {
        return first == last ? first : first + "-" + last;
    }

} // namespace

MappingListing::MappingListing(
    const std::vector<Job>& jobs, const PlateMetadata& plate, ClipLensData& lensData)
{
    for (const Job& job : jobs)
    {
        Entry entry;
        entry.job = &job;
        entry.facts = &plate.frame(job.frame.number);
        if (!job.lens.key)
        {
            entry.reason = job.lens.failure ? job.lens.failure->what() : "no lens data";
        }
        else
        {
            try
            {
                const CorrectionData::Frame frame = lensData.frame(*job.lens.key);
                entry.found = true;
                entry.record = frame.frameNumber;
                entry.recordTimecode = frame.timecode;
            }
            catch (const Failure& failure)
            {
                entry.reason = failure.what();
            }
        }
        entries.push_back(entry);
    }
}

std::vector<std::string> MappingListing::frameLines() const
{
    std::vector<std::string> lines;
    for (const Entry& entry : entries)
    {
        std::string line = std::to_string(entry.job->frame.number) + "  "
            + std::filesystem::path(entry.facts->path).filename().string() + "  "
            + entry.facts->timecode.value_or("--:--:--:--") + "  -> ";
        if (!entry.found)
        {
            lines.push_back(line + "no lens data: " + entry.reason);
            continue;
        }
        line += "lens data frame " + std::to_string(entry.record)
            + (entry.recordTimecode.empty() ? "" : " (" + entry.recordTimecode + ")");
        if (entry.facts->focalLength)
        {
            line += "  focal length " + number(*entry.facts->focalLength, "mm");
        }
        if (entry.facts->focusDistance)
        {
            line += "  focus " + number(*entry.facts->focusDistance, "m");
        }
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> MappingListing::summaryLines() const
{
    std::vector<std::string> lines;
    for (size_t first = 0; first < entries.size();)
    {
        size_t last = first;
        while (last + 1 < entries.size() && entries[first].found && entries[last + 1].found
            && entries[last + 1].job->frame.number == entries[last].job->frame.number + 1
            && entries[last + 1].record >= entries[last].record)
        {
            ++last;
        }
        const Entry& a = entries[first];
        const Entry& b = entries[last];
        std::string line = "frame" + std::string(first == last ? " " : "s ")
            + range(std::to_string(a.job->frame.number), std::to_string(b.job->frame.number));
        if (a.facts->timecode)
        {
            line += " (" + range(*a.facts->timecode, b.facts->timecode.value_or("")) + ")";
        }
        if (a.found)
        {
            line += " take lens data frame" + std::string(a.record == b.record ? " " : "s ")
                + range(std::to_string(a.record), std::to_string(b.record));
            if (!a.recordTimecode.empty())
            {
                line += " (" + range(a.recordTimecode, b.recordTimecode) + ")";
            }
        }
        else
        {
            line += " find no lens data: " + a.reason;
        }
        lines.push_back(line);
        first = last + 1;
    }
    return lines;
}

bool MappingListing::complete() const
{
    for (const Entry& entry : entries)
    {
        if (!entry.found)
        {
            return false;
        }
    }
    return true;
}

} // namespace LensCorrect
