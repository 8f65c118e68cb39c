// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// lenscorrection.Error: the library's and the tool's failures with their brief and detailed
// texts. Wrong arguments are TypeError and ValueError instead, raised where they are checked.
#include <exception>

#include "Bindings.h"
#include "Common/Failure.h"
#include "Exception/Exception.h"

namespace py = pybind11;

namespace PythonBindings
{

namespace
{

    // Created once per process with the module, which holds it; this reference is never given
    // back, since the exception translator may use it until the process ends.
    PyObject* errorType = nullptr;

    void raise(const std::string& brief, const std::string& detailed)
    {
        const py::str briefText = text(brief);
        py::object error = py::reinterpret_borrow<py::object>(errorType)(briefText);
        error.attr("brief") = briefText;
        error.attr("detailed") = text(detailed);
        PyErr_SetObject(errorType, error.ptr());
    }

} // namespace

py::str text(const std::string& bytes)
{
    PyObject* decoded
        = PyUnicode_DecodeUTF8(bytes.data(), Py_ssize_t(bytes.size()), "surrogateescape");
    if (!decoded)
    {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::str>(decoded);
}

uint32_t frameNumber(int64_t frame)
{
    if (frame < 0 || frame > int64_t(UINT32_MAX))
    {
        throw py::value_error(
            "frame must be a frame number from 0 to 4294967295, got " + std::to_string(frame));
    }
    return uint32_t(frame);
}

void bindError(py::module_& module)
{
    errorType = PyErr_NewExceptionWithDoc("lenscorrection.Error",
        "A failure of the library or of the tool's rules. str() is the brief text; the attributes "
        "brief and detailed hold the library's two texts (detailed begins with brief and adds the "
        "labelled details, as lenscorrect prints them).",
        PyExc_Exception, nullptr);
    if (!errorType)
    {
        throw py::error_already_set();
    }
    module.add_object("Error", py::handle(errorType));
    py::register_exception_translator(
        [](std::exception_ptr pointer)
        {
            try
            {
                if (pointer)
                {
                    std::rethrow_exception(pointer);
                }
            }
            catch (const LensCorrect::Failure& failure)
            {
                raise(failure.what(), failure.detailed());
            }
            catch (const Exception& exception)
            {
                raise(exception.what(), exception.detailedDescription());
            }
        });
}

} // namespace PythonBindings
