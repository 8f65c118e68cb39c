// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Renderer/OpenCL/CLOwner.h"

namespace Renderer
{

/// A context for exactly one device, without properties or notification callback.
class CLContext : public CLOwner<cl_context, clReleaseContext>
{
public:
    explicit CLContext(cl_device_id device);
};

} // namespace Renderer
