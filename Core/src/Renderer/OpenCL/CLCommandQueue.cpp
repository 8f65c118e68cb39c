// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/CLCommandQueue.h"

#include "Renderer/OpenCL/OpenCLFailure.h"

namespace
{

cl_command_queue createCommandQueue(cl_device_id device, cl_context context)
{
    cl_int status = CL_SUCCESS;
    cl_command_queue queue = clCreateCommandQueue(context, device, 0, &status);
    if (!queue)
    {
        Renderer::throwOpenCLFailure("Failed to create command queue!", status);
    }
    return queue;
}

} // namespace

namespace Renderer
{

CLCommandQueue::CLCommandQueue(cl_device_id device, cl_context context)
    : CLOwner(createCommandQueue(device, context))
{
}

} // namespace Renderer
