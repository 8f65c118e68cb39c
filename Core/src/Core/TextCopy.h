// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>

namespace Core
{

class Core;

/// Copies `text` and its NUL into `buffer` when all of it fits (length + 1 <= `capacity`);
/// otherwise returns false and leaves the buffer untouched. Text crossing the library boundary,
/// in either direction, is never truncated.
bool copyWholeText(const std::string& text, char* buffer, size_t capacity);

/// The two descriptions of a failed call as the callers read them.
struct ErrorTexts
{
    std::string brief;
    std::string detailed;
};

/// Reads the descriptions of `core`'s last failure into buffers of 4096 (brief) and 16384
/// (detailed) characters; a description that is missing or does not fit is replaced by the
/// caller's fallback text.
ErrorTexts errorTexts(
    const Core& core, const std::string& briefFallback, const std::string& detailedFallback);

} // namespace Core
