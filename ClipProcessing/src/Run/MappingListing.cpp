// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/MappingListing.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "Common/TextHelpers.h"

namespace LensCorrect
{

namespace
{

    std::string number(double value, const char* unit)
    {
        char text[48];
        std::snprintf(text, sizeof(text), "%g %s", value, unit);
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
        try
        {
            entry.record = lensData.record(job.lens);
            entry.found = true;
        }
        catch (const RefusedRecord& failure)
        {
            entry.reason = failure.what();
            entry.failure = failure;
            entry.refused = true;
        }
        catch (const Failure& failure)
        {
            entry.reason = failure.what();
            entry.failure = failure;
        }
        // Records in the order of the file: frame numbers, or sample positions.
        if (entry.found)
        {
            const std::string& name = entry.record.name;
            const size_t digits = name.find_first_of("0123456789");
            entry.order = digits == std::string::npos ? 0 : std::stoull(name.substr(digits));
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
            + fileName(entry.facts->path) + "  " + entry.facts->timecode.value_or("--:--:--:--")
            + "  -> ";
        if (!entry.found)
        {
            lines.push_back(line + "no lens data: " + entry.reason);
            continue;
        }
        line += entry.record.text();
        // The lens data's own values first; else what the camera wrote into the file.
        const double unknown = std::numeric_limits<double>::quiet_NaN();
        const double focalLength = entry.record.focalLength.value_or(
            entry.facts->focalLength ? double(*entry.facts->focalLength) : unknown);
        const double focusDistance = entry.record.focusDistance.value_or(
            entry.facts->focusDistance ? double(*entry.facts->focusDistance) : unknown);
        if (!std::isnan(focalLength))
        {
            line += "  focal length " + number(focalLength, "mm");
        }
        if (!std::isnan(focusDistance))
        {
            line += "  focus " + number(focusDistance, "m");
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
            && entries[last + 1].order >= entries[last].order)
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
            LensRecord both = a.record;
            // "line 3-7" rather than "line 3-line 7".
            const size_t digits = b.record.name.find_first_of("0123456789");
            both.name = range(a.record.name,
                digits != std::string::npos
                        && a.record.name.compare(0, digits, b.record.name, 0, digits) == 0
                    ? b.record.name.substr(digits)
                    : b.record.name);
            both.timecode = range(a.record.timecode, b.record.timecode);
            line += " take " + both.text();
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
