// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/CLContext.h"

#include "Renderer/OpenCL/OpenCLFailure.h"

namespace
{

cl_context createContext(cl_device_id device)
{
    cl_int status = CL_SUCCESS;
    cl_context context = clCreateContext(nullptr, 1, &device, nullptr, nullptr, &status);
    if (!context)
    {
        Renderer::throwOpenCLFailure("Failed to create context!", status);
    }
    return context;
}

} // namespace

namespace Renderer
{

CLContext::CLContext(cl_device_id device)
    : CLOwner(createContext(device))
{
}

} // namespace Renderer
