// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cassert>
#include <optional>
#include <utility>

#include "Renderer/OpenCL/CLMemory.h"
#include "Renderer/OpenCL/OpenCLFailure.h"
#include "Renderer/OpenCL/OpenCLKernel.h"
#include "Renderer/OpenCL/OpenCLKernelDetail.h"
#include "Renderer/OpenCL/OpenCLKernelHelper.h"

namespace Renderer
{

template <typename T>
OpenCLKernel<T>::OpenCLKernel(const std::string& kernelSource, const std::string& kernelName,
    KernelSpecificArgumentsSetter kernelSpecificArgumentsSetter)
    : kernelSource(kernelSource)
    , kernelName(kernelName)
    , kernelSpecificArgumentsSetter(std::move(kernelSpecificArgumentsSetter))
    , deviceId(OpenCLKernelHelper::idOfMostPowerfulDevice())
    , context(deviceId)
    , commandQueue(deviceId, context)
    , program(deviceId, context, this->kernelSource)
    , kernel(program, this->kernelName)
{
}

template <typename T>
void OpenCLKernel<T>::execute(const T* inputBuffer, T* outputBuffer, std::size_t bufferSize)
{
    assert(inputBuffer);
    assert(outputBuffer);
    assert(bufferSize != 0);
    executeInternal(inputBuffer, outputBuffer, bufferSize);
}

template <typename T> void OpenCLKernel<T>::execute(T* outputBuffer, std::size_t bufferSize)
{
    assert(outputBuffer);
    assert(bufferSize != 0);
    executeInternal(nullptr, outputBuffer, bufferSize);
}

template <typename T>
void OpenCLKernel<T>::executeInternal(const T* inputBuffer, T* outputBuffer, std::size_t bufferSize)
{
    // Buffers are made for each execution and released on every way out, the input first.
    CLMemory output(context, CL_MEM_WRITE_ONLY, bufferSize);
    std::optional<CLMemory> input;
    if (inputBuffer)
    {
        input.emplace(context, CL_MEM_READ_ONLY, bufferSize);
        writeDataIntoInputInDeviceMemory(*input, inputBuffer, bufferSize);
    }
    setKernelArguments(input ? static_cast<cl_mem>(*input) : nullptr, output);
    setKernelSpecificArguments();
    executeKernelSynchronously(deviceId, bufferSize);
    readDataFromOutputInDeviceMemory(output, outputBuffer, bufferSize);
}

template <typename T>
void OpenCLKernel<T>::writeDataIntoInputInDeviceMemory(
    cl_mem input, const T* inputBuffer, std::size_t size)
{
    throwIfOpenCLFailed(clEnqueueWriteBuffer(commandQueue, input, CL_TRUE, 0, size, inputBuffer, 0,
                            nullptr, nullptr),
        "Failed to write to input in device memory!");
}

template <typename T> void OpenCLKernel<T>::setKernelArguments(cl_mem input, cl_mem output)
{
    cl_int status = CL_SUCCESS;
    if (input)
    {
        const cl_int inputStatus = clSetKernelArg(kernel, 0, sizeof(cl_mem), &input);
        const cl_int outputStatus = clSetKernelArg(kernel, 1, sizeof(cl_mem), &output);
        status = inputStatus | outputStatus;
    }
    else
    {
        status = clSetKernelArg(kernel, 0, sizeof(cl_mem), &output);
    }
    throwIfOpenCLFailed(status,
        input ? "Failed to set input and output kernel arguments!"
              : "Failed to set output kernel argument!");
}

template <typename T> void OpenCLKernel<T>::setKernelSpecificArguments()
{
    if (kernelSpecificArgumentsSetter)
    {
        throwIfOpenCLFailed(
            kernelSpecificArgumentsSetter(kernel), "Failed to set kernel specific arguments!");
    }
}

template <typename T>
void OpenCLKernel<T>::executeKernelSynchronously(cl_device_id device, std::size_t bufferSize)
{
    std::size_t localSize = 0;
    throwIfOpenCLFailed(clGetKernelWorkGroupInfo(kernel, device, CL_KERNEL_WORK_GROUP_SIZE,
                            sizeof(localSize), &localSize, nullptr),
        "Failed to retrieve kernel work group info!");
    // One work-item per byte, not per pixel: the kernels find their pixel from the global index
    // and return at once beyond the frame, so about fifteen of every sixteen items do nothing.
    const std::size_t globalSize = RendererDetail::globalWorkSize(bufferSize, localSize);
    throwIfOpenCLFailed(clEnqueueNDRangeKernel(commandQueue, kernel, 1, nullptr, &globalSize,
                            &localSize, 0, nullptr, nullptr),
        "Failed to execute kernel!");
    clFinish(commandQueue);
}

template <typename T>
void OpenCLKernel<T>::readDataFromOutputInDeviceMemory(
    cl_mem output, T* outputBuffer, std::size_t size)
{
    throwIfOpenCLFailed(clEnqueueReadBuffer(commandQueue, output, CL_TRUE, 0, size, outputBuffer, 0,
                            nullptr, nullptr),
        "Failed to read output in device memory!");
}

} // namespace Renderer
