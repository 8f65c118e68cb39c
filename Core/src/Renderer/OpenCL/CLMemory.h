// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>

#include "Renderer/OpenCL/CLOwner.h"

namespace Renderer
{

/// A device buffer of a size in bytes, created without a host pointer.
class CLMemory : public CLOwner<cl_mem, clReleaseMemObject>
{
public:
    CLMemory(cl_context context, cl_mem_flags flags, std::size_t size);
};

} // namespace Renderer
