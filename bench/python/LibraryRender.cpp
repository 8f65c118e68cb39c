// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// lenscorrection_bench: the baseline of the Python benchmark, Core::Core::render of a frame with
// the tests' data source, into buffers prepared beforehand.
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "Core/Core.h"
#include "Support/TestCoreDataSource.h"

namespace py = pybind11;

namespace
{

class LibraryRender
{
public:
    LibraryRender(const std::string& correctionFile, const std::string& clipFileName, bool shading,
        bool distortion, uint32_t frame, const py::array_t<float, py::array::c_style>& picture)
    {
        if (picture.ndim() != 3 || picture.shape(2) != 4)
        {
            throw std::invalid_argument("picture must be (height, width, 4) float32");
        }
        auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
        source = dataSource.get();
        source->answers.correctionFilePath = correctionFile;
        source->answers.clipFileName = clipFileName;
        const uint32_t width = uint32_t(picture.shape(1));
        const uint32_t height = uint32_t(picture.shape(0));
        source->answers.frameData = TestSupport::makeFrameData(width, height, frame);
        core = std::make_unique<Core::Core>(std::move(dataSource));

        // The library sizes the frame for the distortion alone; shading keeps the size.
        uint32_t renderWidth = width;
        uint32_t renderHeight = height;
        if (distortion)
        {
            source->answers.distortionCorrection = Core::DistortionCorrectionParameter {};
            check(core->frameSize(renderWidth, renderHeight));
        }
        if (shading)
        {
            source->answers.shadingCorrection = Core::ShadingCorrectionParameter {};
        }
        source->answers.frameData->width = renderWidth;
        source->answers.frameData->height = renderHeight;

        // The picture centred in a zeroed frame of the render size, as the plug-ins hand it over.
        input.assign(size_t(renderWidth) * renderHeight * 4, 0.0f);
        output.assign(input.size(), 0.0f);
        const size_t left = (renderWidth - width) / 2;
        const size_t top = (renderHeight - height) / 2;
        for (size_t y = 0; y < height; ++y)
        {
            std::memcpy(&input[((top + y) * renderWidth + left) * 4], picture.data(int(y), 0, 0),
                width * 4 * sizeof(float));
        }
    }

    /// One Core::Core::render, without the GIL.
    void run()
    {
        py::gil_scoped_release release;
        source->questions.clear();
        check(core->render(input.data(), output.data(), output.size() * sizeof(float)));
    }

private:
    void check(bool succeeded) const
    {
        if (!succeeded)
        {
            char brief[4096] = "";
            core->briefErrorDescription(brief, sizeof(brief));
            throw std::runtime_error(brief);
        }
    }

    TestSupport::TestCoreDataSource* source;
    std::unique_ptr<Core::Core> core;
    std::vector<float> input;
    std::vector<float> output;
};

} // namespace

PYBIND11_MODULE(lenscorrection_bench, module)
{
    py::class_<LibraryRender>(module, "LibraryRender")
        .def(py::init<const std::string&, const std::string&, bool, bool, uint32_t,
                 const py::array_t<float, py::array::c_style>&>(),
            py::arg("correction_file"), py::arg("clip_file_name"), py::arg("shading"),
            py::arg("distortion"), py::arg("frame"), py::arg("picture"))
        .def("run", &LibraryRender::run);
}
