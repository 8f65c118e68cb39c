// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/OpenCL/CLProgram.h"

#include <cstring>
#include <vector>

#include "Exception/Exception.h"
#include "Renderer/OpenCL/OpenCLFailure.h"

namespace
{

cl_program createProgram(cl_context context, const std::string& source)
{
    const char* text = source.c_str();
    cl_int status = CL_SUCCESS;
    cl_program program = clCreateProgramWithSource(context, 1, &text, nullptr, &status);
    if (!program)
    {
        Renderer::throwOpenCLFailure("Failed to create program!", status);
    }
    return program;
}

// A runtime leaves a buffer that is too small for the whole log unfilled, so the length is
// asked for first and the message keeps only the beginning of a long log.
std::string buildLog(cl_program program, cl_device_id device)
{
    std::size_t length = 0;
    if (clGetProgramBuildInfo(program, device, CL_PROGRAM_BUILD_LOG, 0, nullptr, &length)
            != CL_SUCCESS
        || length == 0)
    {
        return {};
    }
    std::vector<char> log(length, '\0');
    if (clGetProgramBuildInfo(
            program, device, CL_PROGRAM_BUILD_LOG, log.size(), log.data(), nullptr)
        != CL_SUCCESS)
    {
        return {};
    }
    std::string text(log.data(), strnlen(log.data(), log.size()));
    if (text.size() > Renderer::CLProgram::maximumBuildLogLength)
    {
        text.resize(Renderer::CLProgram::maximumBuildLogLength);
    }
    return text;
}

} // namespace

namespace Renderer
{

CLProgram::CLProgram(cl_device_id device, cl_context context, const std::string& source)
    : CLOwner(createProgram(context, source))
{
    const cl_int status = clBuildProgram(*this, 0, nullptr, nullptr, nullptr, nullptr);
    if (status != CL_SUCCESS)
    {
        // The program itself is released by the base when this constructor throws.
        throw Exception("Failed to build program executable! (" + std::to_string(status) + ") ("
            + buildLog(*this, device) + ")");
    }
}

} // namespace Renderer
