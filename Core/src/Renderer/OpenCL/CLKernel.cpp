// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/CLKernel.h"

#include "Renderer/OpenCL/OpenCLFailure.h"

namespace
{

cl_kernel createKernel(cl_program program, const std::string& kernelName)
{
    cl_int status = CL_SUCCESS;
    cl_kernel kernel = clCreateKernel(program, kernelName.c_str(), &status);
    if (!kernel || status != CL_SUCCESS)
    {
        if (kernel)
        {
            clReleaseKernel(kernel);
        }
        Renderer::throwOpenCLFailure("Failed to create kernel!", status);
    }
    return kernel;
}

} // namespace

namespace Renderer
{

CLKernel::CLKernel(cl_program program, const std::string& kernelName)
    : CLOwner(createKernel(program, kernelName))
{
}

} // namespace Renderer
