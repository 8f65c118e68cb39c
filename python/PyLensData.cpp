// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <filesystem>
#include <optional>

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "Bindings.h"
#include "LensData.h"

namespace py = pybind11;

namespace PythonBindings
{

namespace
{

    py::tuple values(const std::array<float, 6>& values)
    {
        return py::make_tuple(values[0], values[1], values[2], values[3], values[4], values[5]);
    }

    /// The header under the file's own keys, in the file's order.
    py::dict headerDict(const CorrectionData::Header& header)
    {
        py::dict fields;
        fields["lensManufacturer"] = text(header.lensManufacturer);
        fields["lensTypeName"] = text(header.lensTypeName);
        fields["lensSerialNumber"] = text(header.lensSerialNumber);
        fields["lensMinFocalLength"] = header.lensMinFocalLength;
        fields["lensMaxFocalLength"] = header.lensMaxFocalLength;
        fields["cameraManufacturer"] = text(header.cameraManufacturer);
        fields["cameraModel"] = text(header.cameraModel);
        fields["sensorWidth"] = header.sensorWidth;
        fields["clipName"] = text(header.clipName);
        fields["videoFileName"] = text(header.videoFileName);
        fields["clipDurationFrames"] = header.clipDurationFrames;
        fields["clipWidth"] = header.clipWidth;
        fields["clipHeight"] = header.clipHeight;
        fields["tcFps"] = header.tcFps;
        fields["tcDrop"] = header.tcDrop;
        fields["enableLensShadingCorrection"] = header.enableLensShadingCorrection;
        fields["shadingGamma"] = header.shadingGamma;
        fields["enableLensDistortionCorrection"] = header.enableLensDistortionCorrection;
        fields["distortionZoom"] = header.distortionZoom;
        return fields;
    }

} // namespace

void bindLensData(py::module_& module)
{
    py::class_<CorrectionData::Frame>(module, "Frame",
        "One frame's lens data: its frame number, the shading (percent) and the radial "
        "distortion at the radii 0, 5, 10, 15, 18 and 21.4 mm, and its timecode text.")
        .def_property_readonly(
            "frame_number", [](const CorrectionData::Frame& frame) { return frame.frameNumber; })
        .def_property_readonly(
            "shading", [](const CorrectionData::Frame& frame) { return values(frame.shading); })
        .def_property_readonly("radial_distortion",
            [](const CorrectionData::Frame& frame) { return values(frame.radialDistortion); })
        .def_property_readonly(
            "timecode", [](const CorrectionData::Frame& frame) { return text(frame.timecode); })
        .def("__repr__",
            [](const CorrectionData::Frame& frame)
            {
                return py::str("Frame(frame_number={}, shading={}, radial_distortion={}, "
                               "timecode={!r})")
                    .format(frame.frameNumber, values(frame.shading),
                        values(frame.radialDistortion), text(frame.timecode));
            });

    py::class_<LensData>(module, "LensData",
        "A correction file (.tlcf) read and parsed by the library. Raises Error when it cannot "
        "be read or parsed.")
        .def(py::init([](const std::filesystem::path& path)
                 { return std::make_unique<LensData>(path.string()); }),
            py::arg("path"))
        .def_property_readonly("path", [](const LensData& data) { return text(data.path); })
        .def_property_readonly(
            "header", [](const LensData& data) { return headerDict(data.header()); },
            "The header's 19 fields under the file's keys.")
        .def_property_readonly("frame_numbers", &LensData::frameNumbers,
            "The numbers of the frames the file lists, ascending.")
        .def(
            "frame", [](LensData& data, int64_t number) { return data.frame(frameNumber(number)); },
            py::arg("number"),
            "The frame that applies to a frame number: the listed frame with the greatest number "
            "not above it. Raises Error before the first listed frame.")
        .def(
            "frame_at_timecode",
            [](LensData& data, const std::string& timecode, std::optional<float> fps)
            { return data.frame(timecode, fps.value_or(data.header().tcFps)); },
            py::arg("timecode"), py::arg("fps") = py::none(),
            "The frame that applies to a timecode (HH:MM:SS:FF) at a frame rate (default: the "
            "file's tcFps), counted from the first listed frame's timecode. Raises Error for a "
            "malformed timecode, another rate than the file's or a time before the first frame.");
}

} // namespace PythonBindings
