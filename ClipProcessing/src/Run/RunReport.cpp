// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/RunReport.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace LensCorrect
{

RunReport::RunReport(std::ostream& messages, bool keepGoing)
    : messages(messages)
    , keepGoing(keepGoing)
{
}

void RunReport::say(const std::string& text)
{
    if (bar)
    {
        bar->message(text);
    }
    else
    {
        messages << text << (text.empty() || text.back() != '\n' ? "\n" : "") << std::flush;
    }
}

void RunReport::fail(int number, const Failure& failure)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        failed.push_back(number);
    }
    if (bar)
    {
        bar->frameFailed();
    }
    say("lenscorrect: frame " + std::to_string(number) + ": " + failure.detailed());
    if (!keepGoing)
    {
        halt = true;
    }
}

void RunReport::addFailed(const std::vector<int>& numbers)
{
    std::lock_guard<std::mutex> lock(mutex);
    failed.insert(failed.end(), numbers.begin(), numbers.end());
}

void RunReport::startProgress(size_t frameCount, bool terminal, bool quiet)
{
    bar = std::make_unique<Progress>(messages, frameCount, terminal, quiet);
}

std::vector<int> RunReport::failedFrames() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return failed;
}

std::string RunReport::rangesText(std::vector<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::pair<int, int>> ranges;
    for (const int number : numbers)
    {
        if (!ranges.empty() && int64_t(ranges.back().second) + 1 == number)
        {
            ranges.back().second = number;
        }
        else
        {
            ranges.emplace_back(number, number);
        }
    }
    std::string text;
    for (size_t i = 0; i < ranges.size(); ++i)
    {
        if (i == 20)
        {
            return text + " and " + std::to_string(ranges.size() - i) + " more ranges";
        }
        text += (i ? ", " : "") + std::to_string(ranges[i].first);
        if (ranges[i].second != ranges[i].first)
        {
            text += "-" + std::to_string(ranges[i].second);
        }
    }
    return text;
}

} // namespace LensCorrect
