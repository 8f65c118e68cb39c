// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/GlobalLocale.h"

#include <string>

namespace TestSupport
{

namespace
{

    class GroupingPunctuation : public std::numpunct<char>
    {
    public:
        GroupingPunctuation(char thousandsSeparator, char decimalPoint)
            : thousandsSeparator(thousandsSeparator)
            , decimalPoint(decimalPoint)
        {
        }

    private:
        char do_decimal_point() const override { return decimalPoint; }
        char do_thousands_sep() const override { return thousandsSeparator; }
        std::string do_grouping() const override { return "\3"; }

        char thousandsSeparator;
        char decimalPoint;
    };

} // namespace

GlobalLocale::GlobalLocale(char thousandsSeparator, char decimalPoint)
    // The locale owns the facet (reference count 0).
    : previous(std::locale::global(std::locale(
        std::locale::classic(), new GroupingPunctuation(thousandsSeparator, decimalPoint))))
{
}

GlobalLocale::~GlobalLocale() { std::locale::global(previous); }

} // namespace TestSupport
