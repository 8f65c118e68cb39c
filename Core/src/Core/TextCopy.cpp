// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/TextCopy.h"

#include <cstring>
#include <vector>

#include "Core/Core.h"

namespace Core
{

bool copyWholeText(const std::string& text, char* buffer, size_t capacity)
{
    if (text.size() + 1 > capacity)
    {
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

ErrorTexts errorTexts(
    const Core& core, const std::string& briefFallback, const std::string& detailedFallback)
{
    std::vector<char> brief(4096, '\0');
    std::vector<char> detailed(16384, '\0');
    return { core.briefErrorDescription(brief.data(), brief.size()) ? brief.data() : briefFallback,
        core.detailedErrorDescription(detailed.data(), detailed.size()) ? detailed.data()
                                                                        : detailedFallback };
}

} // namespace Core
