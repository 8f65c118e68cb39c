// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <stdexcept>

namespace Host
{

/// A failure of the simulated host itself (a plug-in that cannot be loaded, a misused host
/// object), as opposed to a plug-in's result.
class HostError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace Host
