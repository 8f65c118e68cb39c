// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "CorrectionData/Content.h"

#include <cstdint>
#include <map>
#include <string>

namespace CorrectionFile
{

/// Parses correction file text. All operations throw CorrectionFile::InvalidFormatException and
/// leave their output untouched on failure.
class Parser
{
public:
    void parse(const std::string& text, CorrectionData::Content& content) const;
    void parseHeader(const std::string& text, CorrectionData::Header& header) const;
    void parseBody(const std::string& text, std::map<uint32_t, CorrectionData::Frame>& frames) const;
};

} // namespace CorrectionFile
