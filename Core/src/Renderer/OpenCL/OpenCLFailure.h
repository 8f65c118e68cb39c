// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// Raises the device layer's error: the description, a blank and the status in parentheses.
[[noreturn]] void throwOpenCLFailure(const std::string& description, cl_int status);

/// Raises the device layer's error when status is not CL_SUCCESS.
inline void throwIfOpenCLFailed(cl_int status, const std::string& description)
{
    if (status != CL_SUCCESS)
    {
        throwOpenCLFailure(description, status);
    }
}

} // namespace Renderer
