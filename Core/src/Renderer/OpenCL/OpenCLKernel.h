// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "Renderer/OpenCL/CLCommandQueue.h"
#include "Renderer/OpenCL/CLContext.h"
#include "Renderer/OpenCL/CLKernel.h"
#include "Renderer/OpenCL/CLProgram.h"
#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// Runs one OpenCL kernel synchronously over buffers of T whose sizes are byte counts: copy in,
/// run, copy out. Device choice and program build happen once, at construction.
///
/// Argument convention of every kernel run through this class: with an input buffer, argument 0
/// is the input and argument 1 the output; without input, argument 0 is the output. The
/// kernelSpecificArgumentsSetter sets all further arguments, at every execution.
///
/// Not for concurrent use: the kernel's arguments are shared state.
template <typename T> class OpenCLKernel
{
public:
    /// Gets the raw kernel and returns an OpenCL status (CL_SUCCESS when all is set).
    using KernelSpecificArgumentsSetter = std::function<cl_int(cl_kernel)>;

    OpenCLKernel(const std::string& kernelSource, const std::string& kernelName,
        KernelSpecificArgumentsSetter kernelSpecificArgumentsSetter);

    /// Runs a kernel that reads inputBuffer and writes outputBuffer; both hold bufferSize bytes.
    void execute(const T* inputBuffer, T* outputBuffer, std::size_t bufferSize);

    /// Runs a kernel that only writes outputBuffer of bufferSize bytes.
    void execute(T* outputBuffer, std::size_t bufferSize);

private:
    void executeInternal(const T* inputBuffer, T* outputBuffer, std::size_t bufferSize);
    void writeDataIntoInputInDeviceMemory(cl_mem input, const T* inputBuffer, std::size_t size);
    void setKernelArguments(cl_mem input, cl_mem output);
    void setKernelSpecificArguments();
    void executeKernelSynchronously(cl_device_id device, std::size_t bufferSize);
    void readDataFromOutputInDeviceMemory(cl_mem output, T* outputBuffer, std::size_t size);

    std::string kernelSource;
    std::string kernelName;
    KernelSpecificArgumentsSetter kernelSpecificArgumentsSetter;
    cl_device_id deviceId;
    // The device objects depend on one another: keep them declared in creation order, so that
    // they are released in reverse.
    CLContext context;
    CLCommandQueue commandQueue;
    CLProgram program;
    CLKernel kernel;
};

extern template class OpenCLKernel<float>;

} // namespace Renderer
