// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <cstring>
#include <locale>
#include <optional>
#include <string>

#include <boost/lexical_cast/try_lexical_convert.hpp>
#include <gtest/gtest.h>

#include "Exception/ClassicNumberReader.h"
#include "Support/GlobalLocale.h"

namespace
{

const char* const texts[] = { "0", "1", "01", "+1", "-0", "-1", "-01", "+01",
    "00000000000000000001", "4294967295", "4294967296", "-4294967295", "2147483647", "2147483648",
    "-2147483648", "-2147483649", "12abc", " 12", "12 ", "", "+", "-", "+-1", "--1", "1.000",
    "1,000", "1.234,5", "1,234.5", "1 000", "24.89", "-1.5e2", ".5", "5.", "-.5", "+2", "1e5",
    "1E+5", "5e-1", "1e", "1E+", "1e-", "2-", "e5", ".", "1..5", "1.5f", "0x10", "1e39", "4096\r",
    "inf", "-Infinity", "INF", "+inf", "infinit", "nan", "-NaN", "nan()", "nano", "24,89" };

/// What lexical_cast makes of a text under the classic global locale.
template <typename Number> std::optional<Number> byLexicalCast(const std::string& text)
{
    const std::locale previous = std::locale::global(std::locale::classic());
    Number value {};
    const bool converted = boost::conversion::try_lexical_convert(text, value);
    std::locale::global(previous);
    return converted ? std::optional<Number>(value) : std::nullopt;
}

template <typename Number> std::optional<Number> byReader(const std::string& text)
{
    ClassicNumberReader reader;
    Number value {};
    return reader.read(text, value) ? std::optional<Number>(value) : std::nullopt;
}

// Bit for bit, so that NaNs compare and their signs count.
template <typename Number> bool same(const std::optional<Number>& a, const std::optional<Number>& b)
{
    return a.has_value() == b.has_value() && (!a || std::memcmp(&*a, &*b, sizeof(Number)) == 0);
}

template <typename Number> void expectLexicalCastRules(const char* type)
{
    for (const char* separators : { "", ".,", ",." })
    {
        std::optional<TestSupport::GlobalLocale> hostLocale;
        if (*separators)
        {
            hostLocale.emplace(separators[0], separators[1]);
        }
        for (const std::string text : texts)
        {
            EXPECT_TRUE(same(byReader<Number>(text), byLexicalCast<Number>(text)))
                << type << " from \"" << text << "\" under \"" << separators << "\"";
        }
    }
}

} // namespace

TEST(ClassicNumberReader, ConvertsAsLexicalCastDoesUnderTheClassicLocale)
{
    expectLexicalCastRules<float>("float");
    expectLexicalCastRules<unsigned int>("unsigned int");
    expectLexicalCastRules<int>("int");
    expectLexicalCastRules<bool>("bool");
}

TEST(ClassicNumberReader, NeverTakesTheHostsPunctuation)
{
    const TestSupport::GlobalLocale hostLocale('.', ',');
    ClassicNumberReader reader;
    unsigned int width = 7;
    EXPECT_FALSE(reader.read("1.920", width));
    float value = 0.0f;
    EXPECT_FALSE(reader.read("24,89", value));
    ASSERT_TRUE(reader.read("24.89", value));
    EXPECT_EQ(value, 24.89f);
    // The reader is reusable after a failure.
    ASSERT_TRUE(reader.read("1920", width));
    EXPECT_EQ(width, 1920u);
}
