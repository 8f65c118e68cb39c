// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace MetadataDatabase
{

constexpr std::size_t metadataKeysCsvStringCount = 15;

/// The built-in metadata key table, one ";"-separated row per key: kind name; camera manufacturer;
/// container format; host metadata key. Generated at build time from metadata-keys.csv, which must
/// have exactly metadataKeysCsvStringCount rows or the library does not compile.
extern const std::array<std::string_view, metadataKeysCsvStringCount> metadataKeysCsvStringArray;

} // namespace MetadataDatabase
