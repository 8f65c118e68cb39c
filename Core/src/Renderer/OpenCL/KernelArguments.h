// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// Sets a kernel's arguments one after the other from a first index and collects the bitwise OR
/// of the statuses, so a caller sets them all and checks once.
class KernelArguments
{
public:
    KernelArguments(cl_kernel kernel, cl_uint firstIndex)
        : kernel(kernel)
        , index(firstIndex)
    {
    }

    /// value's type must have the size of the kernel parameter (cl_uint, cl_float, cl_uchar).
    template <typename T> KernelArguments& add(const T& value)
    {
        combinedStatus |= clSetKernelArg(kernel, index++, sizeof(T), &value);
        return *this;
    }

    cl_int status() const { return combinedStatus; }

private:
    cl_kernel kernel;
    cl_uint index;
    cl_int combinedStatus = CL_SUCCESS;
};

} // namespace Renderer
