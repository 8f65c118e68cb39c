// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace HostTest
{

/// The file's bytes; empty when it cannot be read.
std::string readFile(const std::string& path);

} // namespace HostTest
