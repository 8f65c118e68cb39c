// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

#include "Renderer/OpenCL/OpenCLDeviceInfo.h"
#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// Platform and device queries, and the choice of the device the kernels run on.
class OpenCLKernelHelper
{
public:
    OpenCLKernelHelper() = delete;

    /// The first device of idOfMostPowerfulDevice(candidates) over every device of every platform
    /// whose properties could be read. Platforms and devices that fail a query are skipped.
    static cl_device_id idOfMostPowerfulDevice();

    /// Chooses among candidates: a device whose type is exactly CL_DEVICE_TYPE_GPU before any
    /// other, then the larger computingPower; ties keep the order of the list. Throws
    /// "No devices were found!" for an empty list.
    static cl_device_id idOfMostPowerfulDevice(std::vector<OpenCLDeviceInfo> candidates);

    /// Strict ordering used by the choice: true when lhs is preferred to rhs.
    static bool isPreferred(const OpenCLDeviceInfo& lhs, const OpenCLDeviceInfo& rhs);

    static std::vector<cl_platform_id> allPlatformIds();
    static std::vector<cl_device_id> allDeviceIdsForPlatform(cl_platform_id platform);

    /// Text property, up to its first NUL; empty when the runtime reports a length of 0.
    static std::string queryDeviceInfo(cl_device_id device, cl_device_info parameter);

    /// Fixed-size property; T is unsigned long long, unsigned int or unsigned long.
    template <typename T> static T queryDeviceInfo(cl_device_id device, cl_device_info parameter);

    static std::string queryPlatformInfo(cl_platform_id platform, cl_platform_info parameter);

private:
    static std::vector<OpenCLDeviceInfo> allDeviceInfos();
    static OpenCLDeviceInfo deviceInfo(cl_device_id device);
};

} // namespace Renderer
