// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include "Bindings.h"
#include "Correction/CorrectorSettings.h"
#include "Corrector.h"
#include "PyImage.h"

namespace py = pybind11;

namespace PythonBindings
{

namespace
{

    using Path = std::optional<std::filesystem::path>;
    using Pair = std::optional<std::pair<double, double>>;

    /// One of the tool's mode names, or none.
    template <typename Mode>
    std::optional<Mode> mode(const char* argument, const std::optional<std::string>& value,
        const char* first, Mode firstMode, const char* second, Mode secondMode)
    {
        if (!value)
        {
            return std::nullopt;
        }
        if (*value == first || *value == second)
        {
            return *value == first ? firstMode : secondMode;
        }
        throw py::value_error(std::string(argument) + " must be '" + first + "', '" + second
            + "' or None, got '" + *value + "'");
    }

    /// A W:H argument of two numbers of at least 0 (and at most `largest`), as the tool's
    /// options take them.
    std::optional<std::pair<double, double>> pair(
        const char* argument, const Pair& value, double largest = HUGE_VAL)
    {
        if (value
            && !(value->first >= 0 && value->second >= 0 && value->first <= largest
                && value->second <= largest))
        {
            throw py::value_error(std::string(argument) + " must be two numbers (width, height) "
                + "from 0 to " + (largest == HUGE_VAL ? "any" : "4294967295") + ", got ("
                + std::to_string(value->first) + ", " + std::to_string(value->second) + ")");
        }
        return value;
    }

    std::optional<LensCorrect::Size> size(const char* argument, const Pair& value)
    {
        const auto checked = pair(argument, value, double(UINT32_MAX));
        if (!checked)
        {
            return std::nullopt;
        }
        if (checked->first != std::floor(checked->first)
            || checked->second != std::floor(checked->second))
        {
            throw py::value_error(std::string(argument) + " must be whole pixel counts, got ("
                + std::to_string(checked->first) + ", " + std::to_string(checked->second) + ")");
        }
        return LensCorrect::Size { uint32_t(checked->first), uint32_t(checked->second) };
    }

    std::unique_ptr<Corrector> makeCorrector(const std::optional<std::string>& shading,
        const std::optional<std::string>& distortion, const Path& correctionFile, const Path& clip,
        const std::optional<std::string>& clipName, double fps, const std::string& startTimecode,
        const Pair& sensorSize, const Pair& resolution, std::optional<double> imageDiameter,
        const Pair& sizeWithoutOverscan, const std::optional<std::string>& extraction)
    {
        LensCorrect::Corrections corrections;
        corrections.shading = mode("shading", shading, "remove", LensCorrect::ShadingMode::remove,
            "add", LensCorrect::ShadingMode::add);
        corrections.distortion
            = mode("distortion", distortion, "undistort", LensCorrect::DistortionMode::undistort,
                "distort", LensCorrect::DistortionMode::distort);
        if (!corrections.shading && !corrections.distortion)
        {
            throw py::value_error("no correction was asked for: give shading='remove' or 'add', "
                                  "distortion='undistort' or 'distort', or both");
        }
        if (!clip && !(correctionFile && clipName))
        {
            throw py::value_error(correctionFile
                    ? "a correction file must be checked against the clip: give clip= "
                      "(the clip's file) or clip_name= (its file name)"
                    : "give correction_file=, or clip= to search for the correction "
                      "file around the clip's file");
        }
        LensCorrect::ClipDescription description;
        // The clip's file, renamed by clip_name, as the tool's --clip and --clip-name.
        description.clip = clip ? clip->string() : *clipName;
        description.clipName = clipName.value_or("");
        LensCorrect::LensDataSettings lensData;
        lensData.correctionFile = correctionFile ? correctionFile->string() : "";
        if (!(fps >= 0))
        {
            throw py::value_error(
                "fps must be at least 0 (0: unknown), got " + std::to_string(fps));
        }
        description.framesPerSecond = float(fps);
        description.startTimecode = startTimecode;
        LensCorrect::RecordingSettings recording;
        if (const auto checked = pair("sensor_size", sensorSize))
        {
            recording.sensorSize = std::pair { float(checked->first), float(checked->second) };
        }
        recording.resolution = size("resolution", resolution);
        if (imageDiameter && !(*imageDiameter > 0))
        {
            throw py::value_error(
                "image_diameter must be greater than 0, got " + std::to_string(*imageDiameter));
        }
        if (imageDiameter)
        {
            recording.imageDiameter = float(*imageDiameter);
        }
        recording.sizeWithoutOverscan = size("size_without_overscan", sizeWithoutOverscan);
        if (extraction)
        {
            try
            {
                recording.extraction = LensCorrect::parseExtraction(*extraction);
            }
            catch (const std::invalid_argument& error)
            {
                throw py::value_error(std::string("extraction ") + error.what());
            }
        }
        // The clip's file is always named, so no input stands in for it.
        return std::make_unique<Corrector>(
            LensCorrect::lensSettings(corrections, lensData, description, recording, {}));
    }

    py::tuple sizeTuple(LensCorrect::Size size) { return py::make_tuple(size.width, size.height); }

    /// Runs a render of the corrector without the GIL.
    template <typename Render> LensCorrect::RgbaImage withoutGil(Render render)
    {
        py::gil_scoped_release release;
        return render();
    }

    /// A map method of the corrector for (frame, width, height), as an RGBA array.
    template <LensCorrect::RgbaImage (Corrector::*render)(uint32_t, LensCorrect::Size)>
    py::array map(Corrector& corrector, int64_t frame, int64_t width, int64_t height)
    {
        const uint32_t number = frameNumber(frame);
        const LensCorrect::Size plate = pictureSize(width, height);
        return frameArray(withoutGil([&] { return (corrector.*render)(number, plate); }), 4);
    }

} // namespace

void bindCorrector(py::module_& module)
{
    py::class_<Corrector>(
        module, "Corrector", R"(The lenscorrect tool's corrector for single frames.

Keyword arguments as the tool's options: shading ('remove' or 'add'), distortion ('undistort'
or 'distort'), correction_file (a .tlcf; without it the file is searched for around clip),
clip (the clip's original file), clip_name (the clip file name the correction file must carry),
fps (the clip's rate; 0: no conversion), start_timecode (timecode of frame 0: look frames up by
timecode), sensor_size (mm), resolution (px) and image_diameter (mm) for a manual recording
format, size_without_overscan (px) for an overscan plate, extraction for a plate that is a window
of the recording ('1920x804', '3000x1250+240+400', '4448x2502@0.8633': the tool's --extraction;
results are of the window, the picture centred in them).

Frames are the clip's frame numbers, 0 being its first frame; as in the tool, a frame before the
first record or at or beyond the clip's length (clipDurationFrames) has no lens data. Images are float32 arrays of shape
(height, width, 3) or (height, width, 4) in linear light; results are new float32 arrays. Renders
release the GIL; one corrector may be shared by threads (their calls take turns). Failures of the
library or of the tool's rules raise Error.)")
        .def(py::init(&makeCorrector), py::kw_only(), py::arg("shading") = py::none(),
            py::arg("distortion") = py::none(), py::arg("correction_file") = py::none(),
            py::arg("clip") = py::none(), py::arg("clip_name") = py::none(), py::arg("fps") = 0.0,
            py::arg("start_timecode") = "", py::arg("sensor_size") = py::none(),
            py::arg("resolution") = py::none(), py::arg("image_diameter") = py::none(),
            py::arg("size_without_overscan") = py::none(), py::arg("extraction") = py::none())
        .def(
            "frame_size",
            [](Corrector& corrector, int64_t frame, int64_t width, int64_t height)
            {
                const uint32_t number = frameNumber(frame);
                const LensCorrect::Size plate = pictureSize(width, height);
                LensCorrect::Size size;
                {
                    py::gil_scoped_release release;
                    size = corrector.frameSize(number, plate);
                }
                return sizeTuple(size);
            },
            py::arg("frame"), py::arg("width"), py::arg("height"),
            "(width, height) of the corrected frame of a picture of this size: the picture's for "
            "shading, at least that for distortion, with the picture centred in it.")
        .def(
            "correct",
            [](Corrector& corrector, int64_t frame, const py::object& image)
            {
                const uint32_t number = frameNumber(frame);
                const Picture in = picture(image);
                return frameArray(
                    withoutGil(
                        [&] { return corrector.correct(number, in.size, in.pixels, in.channels); }),
                    in.channels);
            },
            py::arg("frame"), py::arg("image"),
            "The corrected frame, of frame_size, with the image's channels: shading first, then "
            "distortion. RGB is processed as opaque; alpha is kept by shading and resampled by "
            "distortion.")
        .def("st_map", &map<&Corrector::stMap>, py::arg("frame"), py::arg("width"),
            py::arg("height"),
            "The distortion correction's ST-map, RGBA of frame_size: for every output pixel, "
            "where it is taken from in the plate, s = (x + 0.5) / width in red and "
            "t = 1 - (y + 0.5) / height in green (x, y from the plate's top left), blue 0, and in "
            "alpha the share of the sample inside the plate (1 inside, 0 outside).")
        .def("gain_map", &map<&Corrector::gainMap>, py::arg("frame"), py::arg("width"),
            py::arg("height"),
            "The shading correction's gain map, RGBA of the picture's size: the multiplier it "
            "applies to linear light in red, green and blue, alpha 1.");
}

} // namespace PythonBindings
