// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Renderer/OpenCL/OpenCLHeaders.h"

namespace Renderer
{

/// Owns exactly one OpenCL handle and releases it once. The derived owner creates the handle
/// before this base is built, so a failed creation leaves nothing to release.
template <typename Handle, cl_int(CL_API_CALL* release)(Handle)> class CLOwner
{
public:
    CLOwner(const CLOwner&) = delete;
    CLOwner& operator=(const CLOwner&) = delete;

    operator Handle() const { return handle; }

protected:
    explicit CLOwner(Handle handle)
        : handle(handle)
    {
    }
    ~CLOwner() { release(handle); }

private:
    Handle handle;
};

} // namespace Renderer
