// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// lenscorrection.FrameMapping: the document of `lenscorrect --dry-run --json`, checked by the
// tool's own reader for its version and parsed into Python's dicts and lists, so that a script
// can decide whether a plate is ready before it is submitted.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <pybind11/stl/filesystem.h>

#include "Bindings.h"
#include "Common/Failure.h"
#include "Mapping/MappingDocument.h"

namespace py = pybind11;

namespace PythonBindings
{

namespace
{

    struct FrameMapping
    {
        py::dict document;
    };

    FrameMapping parse(const std::string& text, const std::string& origin)
    {
        LensCorrect::checkMappingDocument(text, origin);
        return { py::module_::import("json").attr("loads")(PythonBindings::text(text)) };
    }

    FrameMapping read(const std::filesystem::path& path)
    {
        std::ifstream stream(path, std::ios::binary);
        if (!stream.is_open())
        {
            throw LensCorrect::Failure(
                "The frame mapping cannot be opened.", "Path: \"" + path.string() + "\"");
        }
        const std::string text(
            (std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
        if (stream.bad())
        {
            throw LensCorrect::Failure(
                "The frame mapping cannot be read.", "Path: \"" + path.string() + "\"");
        }
        return parse(text, path.string());
    }

    py::list framesWhere(const FrameMapping& mapping, bool found)
    {
        py::list frames;
        for (const py::handle frame : mapping.document["frames"])
        {
            if ((frame["status"].cast<std::string>() == "found") == found)
            {
                frames.append(frame);
            }
        }
        return frames;
    }

} // namespace

void bindFrameMapping(py::module_& module)
{
    py::class_<FrameMapping>(module, "FrameMapping",
        R"(The frame mapping that `lenscorrect ... --dry-run --json` writes: the run (run), one
dict per plate frame (frames) with its file, timecode, record, focal length (mm), focus distance
(m), corner displacement (px, outwards positive), corner shading (stops) and status ('found',
'no lens data', 'refused', 'missing') with its message. ready is True when every frame is found,
so that a script can check a plate before it is submitted. The field names and units are the
README's; document is the whole parsed JSON.)")
        .def_property_readonly(
            "document", [](const FrameMapping& mapping) { return mapping.document; })
        .def_property_readonly("version",
            [](const FrameMapping& mapping) { return mapping.document["version"].cast<int>(); })
        .def_property_readonly("ready",
            [](const FrameMapping& mapping) { return mapping.document["ready"].cast<bool>(); })
        .def_property_readonly("run",
            [](const FrameMapping& mapping) { return mapping.document["run"].cast<py::dict>(); })
        .def_property_readonly("failure",
            [](const FrameMapping& mapping)
            { return py::object(mapping.document.attr("get")("failure")); })
        .def_property_readonly("frames",
            [](const FrameMapping& mapping) { return mapping.document["frames"].cast<py::list>(); })
        .def_property_readonly(
            "problems", [](const FrameMapping& mapping) { return framesWhere(mapping, false); },
            "The frames whose status is not 'found', in frame order.")
        .def(
            "frame",
            [](const FrameMapping& mapping, int64_t number)
            {
                for (const py::handle frame : mapping.document["frames"])
                {
                    if (frame["frame"].cast<int64_t>() == number)
                    {
                        return py::reinterpret_borrow<py::dict>(frame);
                    }
                }
                throw py::key_error("no plate frame " + std::to_string(number) + " in the mapping");
            },
            py::arg("number"), "The dict of plate frame `number`; KeyError when it has none.")
        .def("__repr__",
            [](const FrameMapping& mapping)
            {
                return "<FrameMapping of " + std::to_string(py::len(mapping.document["frames"]))
                    + " frames, " + (mapping.document["ready"].cast<bool>() ? "ready" : "not ready")
                    + ">";
            });
    module.def("read_frame_mapping", &read, py::arg("path"),
        "The FrameMapping in a file that `lenscorrect --json FILE` wrote. Raises Error when it "
        "cannot be read, is not a frame mapping or is of another version.");
    module.def(
        "parse_frame_mapping", [](const std::string& text) { return parse(text, "(text)"); },
        py::arg("text"),
        "The FrameMapping in a text, such as the standard output of `lenscorrect --dry-run "
        "--json`. Raises Error as read_frame_mapping does.");
}

} // namespace PythonBindings
