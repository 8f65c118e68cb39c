// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Own executable: it replaces clReleaseContext for the whole process.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <vector>

#include <CL/cl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "Core/Core.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"
#include "Support/TestCorrectionFile.h"

namespace
{

std::atomic<bool> exiting { false };

} // namespace

// The executable's definition wins over the loader's, so every release the library makes passes
// here first; from the moment the process exits, one is a failure.
extern "C" cl_int clReleaseContext(cl_context context)
{
    if (exiting)
    {
        static const char message[] = "clReleaseContext called at exit\n";
        static_cast<void>(write(STDERR_FILENO, message, sizeof message - 1));
        _exit(3);
    }
    using Release = cl_int (*)(cl_context);
    static const Release next = reinterpret_cast<Release>(dlsym(RTLD_NEXT, "clReleaseContext"));
    return next(context);
}

TEST(CoreProcessLifetime, NoOpenCLObjectIsReleasedAtExit)
{
    TestSupport::TemporaryDirectory directory;
    TestSupport::TestCorrectionFile file;
    file.frames = { { 0, { 100, 95, 90, 80, 70, 60 }, { 0, -1, -2, -3, -4, -5 }, "" } };
    const std::string path = directory.writeFile("A001C001.tlcf", file.text());

    // In a child process: the renderers are made, then the process exits as a host's does.
    EXPECT_EXIT(
        {
            auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
            dataSource->answers.correctionFilePath = path;
            dataSource->answers.clipFileName = "A001C001.mov";
            dataSource->answers.shadingCorrection = Core::ShadingCorrectionParameter {};
            dataSource->answers.distortionCorrection = Core::DistortionCorrectionParameter {};
            dataSource->answers.frameData = TestSupport::makeFrameData(16, 9);
            Core::Core core(std::move(dataSource));
            std::vector<float> frame(16 * 9 * 4, 0.5f);
            std::vector<float> output(frame.size());
            const bool rendered
                = core.render(frame.data(), output.data(), frame.size() * sizeof(float));
            std::atexit([] { exiting = true; });
            std::exit(rendered ? 0 : 2);
        },
        testing::ExitedWithCode(0), "");
}
