// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "CorrectionData/Content.h"

namespace CorrectionFile
{

/// Parses correction file text. All operations throw CorrectionFile::InvalidFormatException and
/// leave their output untouched on failure.
class Parser
{
public:
    /// Header, then body; header errors are reported first.
    void parse(const std::string& text, CorrectionData::Content& content) const;
    /// Replaces header by the header block of text.
    void parseHeader(const std::string& text, CorrectionData::Header& header) const;
    /// Replaces frames by the frame lines of text; of two lines for one frame the later wins.
    void parseBody(
        const std::string& text, std::map<uint32_t, CorrectionData::Frame>& frames) const;
};

} // namespace CorrectionFile
