// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Exception/Exception.h"
#include "Renderer/OpenCL/CLProgram.h"
#include "Renderer/OpenCL/OpenCLKernel.h"
#include "Renderer/OpenCL/OpenCLKernelDetail.h"
#include "Renderer/OpenCL/OpenCLKernelHelper.h"
#include "RendererTestSupport.h"

using Renderer::OpenCLDeviceInfo;
using Renderer::OpenCLKernel;
using Renderer::OpenCLKernelHelper;
using RendererTest::failureText;

namespace
{

OpenCLDeviceInfo device(std::uintptr_t id, cl_device_type type, cl_ulong computingPower)
{
    OpenCLDeviceInfo info;
    info.deviceId = reinterpret_cast<cl_device_id>(id);
    info.type = type;
    info.computingPower = computingPower;
    return info;
}

cl_device_id id(std::uintptr_t value) { return reinterpret_cast<cl_device_id>(value); }

std::string constructionFailure(const std::string& source, const std::string& kernelName)
{
    return failureText([&] { OpenCLKernel<float>(source, kernelName, {}); });
}

// Kernels following the layer's argument convention; the element count guards the launch range,
// which is a byte count and so four times larger than the number of floats.
const char* const testKernelSource = R"CLC(
__kernel void scale(__global const float* input, __global float* output, uint count, float factor)
{
    const size_t i = get_global_id(0);
    if (i < count) output[i] = input[i] * factor;
}
__kernel void fill(__global float* output, uint count, float value)
{
    const size_t i = get_global_id(0);
    if (i < count) output[i] = value;
}
)CLC";

} // namespace

class OpenCLKernelTest : public RendererTest::OpenCLTest
{
};

TEST(OpenCLKernelHelper, PrefersAPlainGpuThenTheLargerComputingPower)
{
    const cl_device_type gpu = CL_DEVICE_TYPE_GPU;
    const cl_device_type cpu = CL_DEVICE_TYPE_CPU;
    const cl_device_type defaultGpu = CL_DEVICE_TYPE_GPU | CL_DEVICE_TYPE_DEFAULT;
    struct Case
    {
        std::vector<OpenCLDeviceInfo> candidates;
        cl_device_id expected;
    };
    const Case cases[] = {
        { { device(1, cpu, 1000000), device(2, gpu, 10) }, id(2) },
        { { device(1, gpu, 10), device(2, gpu, 20), device(3, cpu, 90) }, id(2) },
        // A combined bit field is not a GPU for the ranking.
        { { device(1, defaultGpu, 1000), device(2, gpu, 1) }, id(2) },
        { { device(1, defaultGpu, 10), device(2, cpu, 30) }, id(2) },
        // Power compares unsigned, across the whole 64-bit range.
        { { device(1, cpu, 1ull << 40), device(2, cpu, ~0ull) }, id(2) },
        // Ties keep the runtime's order.
        { { device(1, gpu, 5), device(2, gpu, 5) }, id(1) },
        { { device(7, cpu, 5) }, id(7) },
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(OpenCLKernelHelper::idOfMostPowerfulDevice(c.candidates), c.expected);
    }
}

TEST(OpenCLKernelHelper, NoCandidateMeansNoDevice)
{
    EXPECT_EQ(failureText([] { OpenCLKernelHelper::idOfMostPowerfulDevice({}); }),
        "No devices were found!");
}

TEST(OpenCLKernelDetail, LaunchRangeIsTheByteCountInWholeWorkGroups)
{
    EXPECT_EQ(Renderer::RendererDetail::globalWorkSize(1920 * 1080 * 16, 256), 33177600u);
    EXPECT_EQ(Renderer::RendererDetail::globalWorkSize(16, 4096), 4096u);
    EXPECT_EQ(Renderer::RendererDetail::globalWorkSize(17, 8), 24u);
    EXPECT_EQ(Renderer::RendererDetail::globalWorkSize(3840 * 2160 * 16, 4096), 132710400u);
    // Not a power of two: still a multiple, which the runtime requires.
    EXPECT_EQ(Renderer::RendererDetail::globalWorkSize(132710416, 1000) % 1000, 0u);
}

TEST_F(OpenCLKernelTest, SelectedDeviceDescribesItself)
{
    const cl_device_id device = OpenCLKernelHelper::idOfMostPowerfulDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(OpenCLKernelHelper::queryDeviceInfo(device, CL_DEVICE_NAME).empty());
    EXPECT_GT(
        OpenCLKernelHelper::queryDeviceInfo<unsigned int>(device, CL_DEVICE_MAX_COMPUTE_UNITS), 0u);
    EXPECT_EQ(failureText([&] { OpenCLKernelHelper::queryDeviceInfo(device, 0xFFFF); }),
        "Failed to query length of device info with id 65535! (-30)"); // CL_INVALID_VALUE
}

TEST_F(OpenCLKernelTest, BuildFailureCarriesStatusAndCompilerLog)
{
    const std::string message = constructionFailure(
        "__kernel void broken(__global float* output) { output[0] = undeclaredName; }", "broken");
    const std::string prefix = "Failed to build program executable! (-11) ("; // build failure
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_NE(message.find("undeclaredName"), std::string::npos) << message;
    EXPECT_EQ(message.back(), ')');
}

TEST_F(OpenCLKernelTest, LongBuildLogIsCutNotOverread)
{
    std::string source = "__kernel void broken(__global float* output)\n{\n";
    for (int line = 0; line < 400; ++line)
    {
        source += "    output[" + std::to_string(line) + "] = undeclaredName" + std::to_string(line)
            + ";\n";
    }
    source += "}\n";
    const std::string message = constructionFailure(source, "broken");
    const std::string prefix = "Failed to build program executable! (-11) (";
    EXPECT_EQ(message.substr(0, prefix.size()), prefix);
    EXPECT_NE(message.find("undeclaredName0"), std::string::npos);
    EXPECT_LE(message.size(), prefix.size() + Renderer::CLProgram::maximumBuildLogLength + 1);
}

TEST_F(OpenCLKernelTest, UnknownKernelNameIsRefused)
{
    EXPECT_EQ(constructionFailure(testKernelSource, "missing"),
        "Failed to create kernel! (-46)"); // CL_INVALID_KERNEL_NAME
}

TEST_F(OpenCLKernelTest, KernelArgumentsFollowTheBufferArguments)
{
    // 5 floats: a size that is no whole pixel and no whole work-group.
    const std::vector<float> input = { 1.0f, -2.0f, 3.5f, 0.25f, 8.0f };
    std::vector<float> output(input.size(), 0.0f);
    const std::size_t bytes = RendererTest::byteSize(input);
    const cl_uint count = static_cast<cl_uint>(input.size());

    cl_float factor = 2.0f;
    OpenCLKernel<float> scale(testKernelSource, "scale",
        [&](cl_kernel kernel)
        {
            return clSetKernelArg(kernel, 2, sizeof(cl_uint), &count)
                | clSetKernelArg(kernel, 3, sizeof(cl_float), &factor);
        });
    scale.execute(input.data(), output.data(), bytes);
    EXPECT_EQ(output, (std::vector<float> { 2.0f, -4.0f, 7.0f, 0.5f, 16.0f }));

    // The setter is asked again at every execution.
    factor = -1.0f;
    scale.execute(input.data(), output.data(), bytes);
    EXPECT_EQ(output, (std::vector<float> { -1.0f, 2.0f, -3.5f, -0.25f, -8.0f }));

    const cl_float value = 4.5f;
    OpenCLKernel<float> fill(testKernelSource, "fill",
        [&](cl_kernel kernel)
        {
            return clSetKernelArg(kernel, 1, sizeof(cl_uint), &count)
                | clSetKernelArg(kernel, 2, sizeof(cl_float), &value);
        });
    fill.execute(output.data(), bytes);
    EXPECT_EQ(output, std::vector<float>(input.size(), 4.5f));
}

TEST_F(OpenCLKernelTest, ExecutionFailuresLeaveTheKernelUsable)
{
    bool failWithStatus = true;
    bool failWithException = false;
    const cl_uint count = 1;
    const cl_float value = 3.0f;
    OpenCLKernel<float> fill(testKernelSource, "fill",
        [&](cl_kernel kernel) -> cl_int
        {
            if (failWithException)
            {
                throw std::runtime_error("from the setter");
            }
            if (failWithStatus)
            {
                return CL_INVALID_ARG_VALUE;
            }
            return clSetKernelArg(kernel, 1, sizeof(cl_uint), &count)
                | clSetKernelArg(kernel, 2, sizeof(cl_float), &value);
        });
    float output = 0.0f;

    EXPECT_EQ(failureText([&] { fill.execute(&output, sizeof(float)); }),
        "Failed to set kernel specific arguments! (-50)");

    // The setter's own exceptions pass through unchanged.
    failWithException = true;
    EXPECT_THROW(fill.execute(&output, sizeof(float)), std::runtime_error);

    // Refused before anything is read from or written to the host buffer.
    EXPECT_EQ(failureText([&] { fill.execute(&output, std::size_t { 1 } << 60); }),
        "Failed to allocate device memory! (1152921504606846976 bytes)");

    failWithException = false;
    failWithStatus = false;
    fill.execute(&output, sizeof(float));
    EXPECT_EQ(output, 3.0f);
}
