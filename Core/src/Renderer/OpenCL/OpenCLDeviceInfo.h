// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>

#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// What device selection knows about one candidate device.
struct OpenCLDeviceInfo
{
    cl_device_id deviceId = nullptr;
    std::string name;
    cl_device_type type = 0;
    std::string version;
    cl_uint maxComputeUnits = 0;
    cl_uint maxClockFrequency = 0; ///< MHz
    std::size_t maxWorkGroupSize = 0;
    /// maxComputeUnits × maxClockFrequency × maxWorkGroupSize in 64-bit unsigned arithmetic.
    cl_ulong computingPower = 0;
};

} // namespace Renderer
