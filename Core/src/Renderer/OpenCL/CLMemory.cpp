// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/CLMemory.h"

#include <string>

#include "Exception/Exception.h"

namespace
{

cl_mem createBuffer(cl_context context, cl_mem_flags flags, std::size_t size)
{
    cl_mem memory = clCreateBuffer(context, flags, size, nullptr, nullptr);
    if (!memory)
    {
        throw Exception("Failed to allocate device memory! (" + std::to_string(size) + " bytes)");
    }
    return memory;
}

} // namespace

namespace Renderer
{

CLMemory::CLMemory(cl_context context, cl_mem_flags flags, std::size_t size)
    : CLOwner(createBuffer(context, flags, size))
{
}

} // namespace Renderer
