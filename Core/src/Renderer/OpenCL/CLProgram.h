// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>

#include "Renderer/OpenCL/CLOwner.h"

namespace Renderer
{

/// A program created from one source text and built for all its devices without options.
/// A failed build raises an error that carries the status and the compiler's log for the device.
class CLProgram : public CLOwner<cl_program, clReleaseProgram>
{
public:
    /// The most of the build log an error message carries, in characters.
    static constexpr std::size_t maximumBuildLogLength = 4095;

    CLProgram(cl_device_id device, cl_context context, const std::string& source);
};

} // namespace Renderer
