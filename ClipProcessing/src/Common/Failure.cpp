// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Common/Failure.h"

namespace LensCorrect
{

Failure::Failure(const std::string& brief, const std::string& details)
    : std::runtime_error(brief)
    , detailedText(brief + "\n" + (details.empty() ? std::string() : details + "\n"))
{
}

Failure::Failure(FromLibrary, const std::string& brief, const std::string& detailed)
    : std::runtime_error(brief)
    , detailedText(detailed.empty() ? brief + "\n" : detailed)
{
    if (detailedText.back() != '\n')
    {
        detailedText += '\n';
    }
}

Failure Failure::fromLibrary(const std::string& brief, const std::string& detailed)
{
    return Failure(FromLibrary {}, brief, detailed);
}

} // namespace LensCorrect
