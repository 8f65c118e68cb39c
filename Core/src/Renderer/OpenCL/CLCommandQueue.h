// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Renderer/OpenCL/CLOwner.h"

namespace Renderer
{

/// An in-order command queue without profiling.
class CLCommandQueue : public CLOwner<cl_command_queue, clReleaseCommandQueue>
{
public:
    CLCommandQueue(cl_device_id device, cl_context context);
};

} // namespace Renderer
