// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/OpenCLFailure.h"

#include "Exception/Exception.h"

namespace Renderer
{

void throwOpenCLFailure(const std::string& description, cl_int status)
{
    throw Exception(description + " (" + std::to_string(status) + ")");
}

} // namespace Renderer
