// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

namespace HostTest
{

/// The names of the symbols a shared object defines in its dynamic symbol table, as
/// `nm -D --defined-only` lists them, sorted. Throws std::runtime_error when nm fails.
std::vector<std::string> definedDynamicSymbols(const std::string& sharedObjectPath);

} // namespace HostTest
