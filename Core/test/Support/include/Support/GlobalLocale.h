// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <locale>

namespace TestSupport
{

/// Makes a locale with the given decimal point and digit grouping (groups of three, the given
/// separator) the process's global locale for the object's lifetime, as a host application may;
/// "1.234,5" for ('.', ','), "1,234.5" for (',', '.').
class GlobalLocale
{
public:
    GlobalLocale(char thousandsSeparator, char decimalPoint);
    ~GlobalLocale();
    GlobalLocale(const GlobalLocale&) = delete;
    GlobalLocale& operator=(const GlobalLocale&) = delete;

private:
    std::locale previous;
};

} // namespace TestSupport
