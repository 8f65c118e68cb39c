// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Renderer/OpenCL/CLOwner.h"

namespace Renderer
{

/// One kernel function of a built program, found by name.
class CLKernel : public CLOwner<cl_kernel, clReleaseKernel>
{
public:
    CLKernel(cl_program program, const std::string& kernelName);
};

} // namespace Renderer
