// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/OpenCLKernelHelper.h"

#include <algorithm>
#include <cstring>

#include "Exception/Exception.h"
#include "Renderer/OpenCL/OpenCLFailure.h"

namespace
{

std::string withId(const char* description, cl_uint parameter)
{
    return description + std::to_string(parameter) + "!";
}

// Count first, then a zero-filled array of that count.
template <typename Id, typename Query>
std::vector<Id> queryIds(Query query, const char* countFailure, const char* listFailure)
{
    cl_uint count = 0;
    Renderer::throwIfOpenCLFailed(query(0, nullptr, &count), countFailure);
    std::vector<Id> ids(count, nullptr);
    if (count > 0)
    {
        Renderer::throwIfOpenCLFailed(query(count, ids.data(), nullptr), listFailure);
    }
    return ids;
}

template <typename Query>
std::string queryText(
    Query query, cl_uint parameter, const char* lengthFailure, const char* valueFailure)
{
    std::size_t length = 0;
    Renderer::throwIfOpenCLFailed(query(0, nullptr, &length), withId(lengthFailure, parameter));
    if (length == 0)
    {
        return {};
    }
    std::vector<char> text(length, '\0');
    Renderer::throwIfOpenCLFailed(
        query(text.size(), text.data(), nullptr), withId(valueFailure, parameter));
    // Bounded, so a runtime that omits the NUL cannot make us read past the buffer.
    return std::string(text.data(), strnlen(text.data(), text.size()));
}

} // namespace

namespace Renderer
{

cl_device_id OpenCLKernelHelper::idOfMostPowerfulDevice()
{
    return idOfMostPowerfulDevice(allDeviceInfos());
}

cl_device_id OpenCLKernelHelper::idOfMostPowerfulDevice(std::vector<OpenCLDeviceInfo> candidates)
{
    if (candidates.empty())
    {
        throw Exception("No devices were found!");
    }
    std::stable_sort(candidates.begin(), candidates.end(), &OpenCLKernelHelper::isPreferred);
    return candidates.front().deviceId;
}

bool OpenCLKernelHelper::isPreferred(const OpenCLDeviceInfo& lhs, const OpenCLDeviceInfo& rhs)
{
    // Only a plain GPU counts as one; a combined bit field such as GPU | DEFAULT does not.
    const bool lhsIsGpu = lhs.type == CL_DEVICE_TYPE_GPU;
    const bool rhsIsGpu = rhs.type == CL_DEVICE_TYPE_GPU;
    if (lhsIsGpu != rhsIsGpu)
    {
        return lhsIsGpu;
    }
    return lhs.computingPower > rhs.computingPower;
}

std::vector<cl_platform_id> OpenCLKernelHelper::allPlatformIds()
{
    return queryIds<cl_platform_id>([](cl_uint count, cl_platform_id* ids, cl_uint* found)
        { return clGetPlatformIDs(count, ids, found); },
        "Failed to query number of all available platforms!",
        "Failed to query all available platform identifiers!");
}

std::vector<cl_device_id> OpenCLKernelHelper::allDeviceIdsForPlatform(cl_platform_id platform)
{
    return queryIds<cl_device_id>([platform](cl_uint count, cl_device_id* ids, cl_uint* found)
        { return clGetDeviceIDs(platform, CL_DEVICE_TYPE_ALL, count, ids, found); },
        "Failed to query number of all available devices per platform!",
        "Failed to query all available device identifiers per platform!");
}

std::string OpenCLKernelHelper::queryDeviceInfo(cl_device_id device, cl_device_info parameter)
{
    return queryText([device, parameter](std::size_t size, void* value, std::size_t* length)
        { return clGetDeviceInfo(device, parameter, size, value, length); },
        parameter, "Failed to query length of device info with id ",
        "Failed to query device info with id ");
}

template <typename T>
T OpenCLKernelHelper::queryDeviceInfo(cl_device_id device, cl_device_info parameter)
{
    T value {};
    throwIfOpenCLFailed(clGetDeviceInfo(device, parameter, sizeof(T), &value, nullptr),
        withId("Failed to query device info with id ", parameter));
    return value;
}

template unsigned long long OpenCLKernelHelper::queryDeviceInfo<unsigned long long>(
    cl_device_id, cl_device_info);
template unsigned int OpenCLKernelHelper::queryDeviceInfo<unsigned int>(
    cl_device_id, cl_device_info);
template unsigned long OpenCLKernelHelper::queryDeviceInfo<unsigned long>(
    cl_device_id, cl_device_info);

std::string OpenCLKernelHelper::queryPlatformInfo(
    cl_platform_id platform, cl_platform_info parameter)
{
    return queryText([platform, parameter](std::size_t size, void* value, std::size_t* length)
        { return clGetPlatformInfo(platform, parameter, size, value, length); },
        parameter, "Failed to query length of platform info with id ",
        "Failed to query platform info with id ");
}

std::vector<OpenCLDeviceInfo> OpenCLKernelHelper::allDeviceInfos()
{
    std::vector<OpenCLDeviceInfo> candidates;
    for (cl_platform_id platform : allPlatformIds())
    {
        std::vector<cl_device_id> devices;
        try
        {
            devices = allDeviceIdsForPlatform(platform);
        }
        catch (const Exception&)
        {
            continue; // a platform without usable devices is not an error
        }
        for (cl_device_id device : devices)
        {
            try
            {
                candidates.push_back(deviceInfo(device));
            }
            catch (const Exception&)
            {
                // a device that cannot describe itself is not a candidate
            }
        }
    }
    return candidates;
}

OpenCLDeviceInfo OpenCLKernelHelper::deviceInfo(cl_device_id device)
{
    OpenCLDeviceInfo info;
    info.deviceId = device;
    info.name = queryDeviceInfo(device, CL_DEVICE_NAME);
    info.type = queryDeviceInfo<unsigned long long>(device, CL_DEVICE_TYPE);
    info.version = queryDeviceInfo(device, CL_DEVICE_VERSION);
    info.maxComputeUnits = queryDeviceInfo<unsigned int>(device, CL_DEVICE_MAX_COMPUTE_UNITS);
    info.maxClockFrequency = queryDeviceInfo<unsigned int>(device, CL_DEVICE_MAX_CLOCK_FREQUENCY);
    info.maxWorkGroupSize = queryDeviceInfo<unsigned long>(device, CL_DEVICE_MAX_WORK_GROUP_SIZE);
    info.computingPower = static_cast<cl_ulong>(info.maxComputeUnits) * info.maxClockFrequency
        * info.maxWorkGroupSize;
    return info;
}

} // namespace Renderer
