// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Plate/FrameList.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include <OpenImageIO/filesystem.h>

#include "Common/Failure.h"

namespace LensCorrect
{

namespace
{

    constexpr size_t maximumDigits = 9;

    Failure malformed(const std::string& text, const std::string& reason)
    {
        return Failure("The frame list is not usable: " + reason + ".",
            "Frames: \"" + text
                + "\"\nExpected: a frame (\"1001\"), a range (\"1001-1100\"), a "
                  "range with a step (\"1001-1100x2\"), or a comma-separated "
                  "list of these");
    }

    /// Reads an optionally negative decimal number at `position`; false when there is none or
    /// it has too many digits.
    bool readNumber(const std::string& item, size_t& position, int64_t& value)
    {
        const size_t begin = position;
        if (position < item.size() && item[position] == '-')
        {
            ++position;
        }
        const size_t digitsBegin = position;
        while (position < item.size() && item[position] >= '0' && item[position] <= '9')
        {
            ++position;
        }
        const size_t digits = position - digitsBegin;
        if (digits == 0 || digits > maximumDigits)
        {
            return false;
        }
        std::from_chars(item.data() + begin, item.data() + position, value);
        return true;
    }

    /// The number of frames one item names at most (a bound for "y" steps).
    uint64_t checkedItemSize(const std::string& text, const std::string& item)
    {
        size_t position = 0;
        int64_t first = 0;
        if (!readNumber(item, position, first))
        {
            throw malformed(text, "\"" + item + "\" does not start with a frame number");
        }
        if (position == item.size())
        {
            return 1;
        }
        int64_t last = 0;
        if (item[position] != '-' || !readNumber(item, ++position, last))
        {
            throw malformed(text, "\"" + item + "\" is not a frame or a range");
        }
        if (position < item.size())
        {
            int64_t step = 0;
            const char kind = item[position];
            if ((kind != 'x' && kind != 'y') || !readNumber(item, ++position, step) || step < 1
                || position != item.size())
            {
                throw malformed(text, "\"" + item + "\" has a step that is not a positive number");
            }
        }
        return uint64_t(std::max(first, last) - std::min(first, last)) + 1;
    }

} // namespace

std::vector<int> parseFrameList(const std::string& text)
{
    if (text.empty())
    {
        throw malformed(text, "it is empty");
    }
    uint64_t total = 0;
    size_t begin = 0;
    while (begin <= text.size())
    {
        const size_t end = std::min(text.find(',', begin), text.size());
        total += checkedItemSize(text, text.substr(begin, end - begin));
        if (total > maximumFrameListSize)
        {
            throw malformed(text, "it names more than 10,000,000 frames");
        }
        begin = end + 1;
    }

    std::vector<int> numbers;
    if (!OIIO::Filesystem::enumerate_sequence(text, numbers))
    {
        throw malformed(text, "OpenImageIO does not read it as a frame list");
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace LensCorrect
