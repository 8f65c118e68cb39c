// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace RecordingFormatDatabase
{

constexpr std::size_t recordingFormatsCsvStringCount = 2518;

/// The built-in recording format table, one ";"-separated row per format: manufacturer; model;
/// sensor name (may be empty); format name; image area width mm; image area height mm;
/// resolution width px; resolution height px. Generated at build time from recording-formats.csv,
/// which must have exactly recordingFormatsCsvStringCount rows or the library does not compile.
/// Constant data: usable at any time, including during static initialisation.
extern const std::array<std::string_view, recordingFormatsCsvStringCount>
    recordingFormatsCsvStringArray;

} // namespace RecordingFormatDatabase
