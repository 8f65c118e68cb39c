// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "Support/GlobalLocale.h"
#include "Support/ThrownDescription.h"
#include "Timecode/Timecode.h"
#include "Timecode/TimecodeExceptions.h"

using TestSupport::thrownDescription;
using Timecode::InvalidTimecodeException;

namespace
{

Timecode::Timecode at(const char* text, float rate) { return Timecode::Timecode(text, rate); }

} // namespace

TEST(Timecode, ParsesAndPrints)
{
    const struct
    {
        const char* text;
        float rate;
        const char* printed;
        const char* printedWithRate;
    } cases[] = {
        { "10:00:00:12", 25.0f, "10:00:00:12", "10:00:00:12@25" },
        { "1:2:3:4", 25.0f, "01:02:03:04", "01:02:03:04@25" },
        { "+1:02:03:04", 23.976f, "01:02:03:04", "01:02:03:04@23.98" },
        { "00:00:00:29", 29.97f, "00:00:00:29", "00:00:00:29@29.97" },
        { "00:00:00:25", 0.0f, "00:00:00:25", "00:00:00:25@0" },
        { "123:59:59:00", 24.0f, "123:59:59:00", "123:59:59:00@24" },
    };
    for (const auto& c : cases)
    {
        const Timecode::Timecode timecode(c.text, c.rate);
        EXPECT_EQ(timecode.string(false), c.printed) << c.text;
        EXPECT_EQ(timecode.string(true), c.printedWithRate) << c.text;
    }
}

TEST(Timecode, RejectsMalformedText)
{
    const struct
    {
        const char* text;
        float rate;
    } cases[] = {
        { "00:00:00:25", 25.0f },
        { "00:00:00:24", 23.976f },
        { "00:60:00:00", 25.0f },
        { "00:00:60:00", 25.0f },
        { "00:00:00", 25.0f },
        { "00:00:00:00:00", 25.0f },
        { "00;00;00;00", 25.0f },
        { "00:00:00:0a", 25.0f },
        { "00:00:00: 1", 25.0f },
        { "00:00:00:01@25", 25.0f },
        { "", 25.0f },
        { "00:00:00:00", std::nanf("") },
    };
    for (const auto& c : cases)
    {
        EXPECT_THROW(Timecode::Timecode(c.text, c.rate), InvalidTimecodeException) << c.text;
    }
    EXPECT_EQ(thrownDescription<InvalidTimecodeException>([] { at("00:00:00:24", 23.976f); }),
        "Timecode object could not be constructed due to invalid format.\n"
        "Timecode String: \"00:00:00:24\"\nFrames per Second: \"23.976\"\n");
}

TEST(Timecode, AddsWholeFramesPerSecond)
{
    const struct
    {
        const char* text;
        float rate;
        uint32_t frames;
        const char* expected;
    } cases[] = {
        { "00:00:59:24", 25.0f, 1, "00:01:00:00" },
        { "23:59:59:24", 25.0f, 1, "24:00:00:00" },
        { "00:00:00:00", 23.976f, 24, "00:00:01:00" },
        { "00:00:00:23", 23.976f, 1, "00:00:01:00" },
        { "00:59:59:29", 29.97f, 1, "01:00:00:00" },
        { "00:00:00:00", 29.97f, 30 * 3600 + 1, "01:00:00:01" },
    };
    for (const auto& c : cases)
    {
        const Timecode::Timecode sum = at(c.text, c.rate) + c.frames;
        EXPECT_EQ(sum.string(false), c.expected) << c.text << " + " << c.frames;
        EXPECT_EQ(sum.framesPerSecond, c.rate);
    }
    // No positive rate, no divisor: the timecode stays as it is.
    for (const float rate : { 0.0f, -25.0f, std::nanf("") })
    {
        Timecode::Timecode timecode = at("01:02:03:04", 0.0f);
        timecode.framesPerSecond = rate;
        timecode += 100;
        EXPECT_EQ(timecode.string(false), "01:02:03:04") << rate;
    }
}

TEST(Timecode, HugeHourCountsNeverWrapRound)
{
    // 50000 hours at 25 fps is 4.5e9 frames, past what 32 bits hold.
    EXPECT_EQ((at("50000:00:00:00", 25.0f) + 1).string(false), "50000:00:00:01");
    EXPECT_EQ(at("40000:00:00:00", 25.0f) - at("39999:59:59:00", 25.0f), 25u);
    EXPECT_THROW(at("50000:00:00:00", 25.0f) - at("00:00:00:00", 25.0f), InvalidTimecodeException);
    EXPECT_TRUE(at("00:00:00:01", 25.0f) < at("1193047:00:00:00", 25.0f));
    EXPECT_FALSE(at("1193047:00:00:00", 25.0f) < at("00:00:00:01", 25.0f));
    EXPECT_EQ(thrownDescription<InvalidTimecodeException>(
                  [] { return at("4294967295:59:59:24", 25.0f) + 1; }),
        "Timecode addition could not be performed.\n"
        "Timecode String: \"4294967295:59:59:24@25\"\nFrames per Second: \"25\"\n");
}

TEST(Timecode, SubtractsAtTheRightRate)
{
    EXPECT_EQ(at("00:00:01:00", 25.0f) - at("00:00:00:00", 25.0f), 25u);
    EXPECT_EQ(at("00:00:01:00", 0.0f) - at("00:00:00:00", 25.0f), 25u);
    EXPECT_EQ(at("00:00:01:01", 23.976f) - at("00:00:00:00", 23.976f), 25u);
    EXPECT_EQ(thrownDescription<InvalidTimecodeException>(
                  [] { return at("00:00:00:00", 25.0f) - at("00:00:01:00", 25.0f); }),
        "Timecode subtraction could not be performed.\n"
        "Lhs Timecode: \"00:00:00:00@25\"\nRhs Timecode: \"00:00:01:00@25\"\n");
    EXPECT_THROW(at("00:00:01:00", 25.0f) - at("00:00:00:00", 0.0f), InvalidTimecodeException);
    EXPECT_THROW(at("00:00:01:00", 30.0f) - at("00:00:00:00", 25.0f), InvalidTimecodeException);
}

TEST(Timecode, ComparesOnlyComparableRates)
{
    EXPECT_TRUE(at("10:00:00:05", 25.0f) == at("10:00:00:05", 0.0f));
    EXPECT_TRUE(at("10:00:00:04", 25.0f) < at("10:00:00:05", 25.0f));
    EXPECT_FALSE(at("10:00:01:00", 25.0f) < at("10:00:00:24", 25.0f));
    EXPECT_NO_THROW(Timecode::Timecode::checkIfTimecodesAreComparableAndThrowIfNeeded(
        at("00:00:00:00", 0.0f), at("00:00:00:00", 0.0f)));
    EXPECT_EQ(thrownDescription<InvalidTimecodeException>(
                  [] { return at("00:00:00:00", 25.0f) == at("00:00:00:00", 29.97f); }),
        "Timecode comparison could not be performed.\n"
        "Lhs Timecode: \"00:00:00:00@25\"\nRhs Timecode: \"00:00:00:00@29.97\"\n");
    EXPECT_THROW(at("00:00:00:00", 25.0f) < at("00:00:00:00", 30.0f), InvalidTimecodeException);
}

TEST(Timecode, IgnoresTheHostsDigitGrouping)
{
    for (const char* separators : { ",.", ".," })
    {
        SCOPED_TRACE(separators);
        const TestSupport::GlobalLocale hostLocale(separators[0], separators[1]);
        const std::string grouped = std::string("1") + separators[0] + "000:00:00:00";
        EXPECT_THROW(at(grouped.c_str(), 25.0f), InvalidTimecodeException);
        EXPECT_EQ(at("1000:00:00:00", 25.0f).string(false), "1000:00:00:00");
    }
}
