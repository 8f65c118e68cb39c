// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace AeClipDetail
{

/// Converts zero-terminated UTF-16 to UTF-8, surrogate pairs included. False (and `utf8`
/// unchanged) for a lone surrogate. Never throws except for lack of memory.
bool utf8FromZeroTerminatedUtf16(const char16_t* units, std::string& utf8);

} // namespace AeClipDetail
