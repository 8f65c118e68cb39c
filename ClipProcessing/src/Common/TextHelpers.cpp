// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Common/TextHelpers.h"

#include <cstdio>

namespace LensCorrect
{

std::string fileName(const std::string& path)
{
    const size_t separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string numberText(double value, int significantDigits)
{
    char text[40];
    std::snprintf(text, sizeof(text), "%.*g", significantDigits, value);
    return text;
}

std::string sizeText(Size size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

std::string pixelSizeText(Size size) { return sizeText(size) + " px"; }

} // namespace LensCorrect
