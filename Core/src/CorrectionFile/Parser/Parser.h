// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

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

/// The frame lines of correction file text, one after another: the non-empty lines after the
/// body marker, each split at ";" into its first nine fields (further ones are ignored). The
/// parser takes the shading, distortion and timecode fields; other readers take the fields it
/// leaves, from the same lines.
class FrameLines
{
public:
    static constexpr std::size_t fieldCount = 9;

    /// Reads `text`, which must outlive the reader. Throws InvalidFormatException when the text
    /// has no body marker.
    explicit FrameLines(const std::string& text);
    ~FrameLines();
    FrameLines(const FrameLines&) = delete;
    FrameLines& operator=(const FrameLines&) = delete;

    /// Moves to the next frame line; false after the last one. Throws InvalidFormatException
    /// with the line's number and content when it has fewer than nine fields or its frame number
    /// is not a whole number from 0 up.
    bool next();
    uint32_t frameNumber() const { return number; }
    /// Field `index` (from 0, below fieldCount) of the current line, valid until next().
    std::string_view field(std::size_t index) const { return fields[index]; }
    /// Throws InvalidFormatException with the current line's number and content.
    [[noreturn]] void fail() const;

private:
    class Lines;

    std::unique_ptr<Lines> lines;
    std::array<std::string_view, fieldCount> fields;
    uint32_t number = 0;
};

} // namespace CorrectionFile
