// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

namespace Core
{
namespace LoggerDetail
{

    /// The text of one entry (without its line feed) for a moment given in microseconds since the
    /// epoch, in the local time zone.
    std::string composeEntry(int64_t microsecondsSinceEpoch, const std::string& message);

} // namespace LoggerDetail
} // namespace Core
