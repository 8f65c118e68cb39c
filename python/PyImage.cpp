// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "PyImage.h"

#include <string>
#include <vector>

#include "Bindings.h"
#include "Corrector.h"

namespace py = pybind11;

namespace PythonBindings
{

namespace
{

    std::string repr(const py::handle& object) { return py::repr(object).cast<std::string>(); }

    bool isNativeFloat32(const py::dtype& type)
    {
        // NumPy writes the native order as '='; a byte-swapped array says '<' or '>'.
        constexpr char nativeOrder = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? '<' : '>';
        return type.num() == py::detail::npy_api::NPY_FLOAT_
            && (type.byteorder() == '=' || type.byteorder() == nativeOrder);
    }

} // namespace

Picture picture(const py::object& image)
{
    if (!py::isinstance<py::array>(image))
    {
        throw py::type_error("image must be a numpy.ndarray of float32, got "
            + py::str(py::type::of(image).attr("__name__")).cast<std::string>());
    }
    const auto array = py::reinterpret_borrow<py::array>(image);
    if (!isNativeFloat32(array.dtype()))
    {
        throw py::type_error("image must be float32 (linear light), got dtype "
            + py::str(array.dtype()).cast<std::string>());
    }
    const std::string shape = repr(array.attr("shape"));
    if (array.ndim() != 3 || (array.shape(2) != 3 && array.shape(2) != 4))
    {
        throw py::value_error(
            "image must have shape (height, width, 3) or (height, width, 4), got " + shape);
    }
    if (array.shape(0) == 0 || array.shape(1) == 0)
    {
        throw py::value_error("image is empty: shape " + shape);
    }
    if (array.shape(0) > py::ssize_t(UINT32_MAX) || array.shape(1) > py::ssize_t(UINT32_MAX))
    {
        throw py::value_error("image is larger than any frame: shape " + shape);
    }
    if (!(array.flags() & py::array::c_style)
        || reinterpret_cast<uintptr_t>(array.data()) % alignof(float) != 0)
    {
        throw py::value_error("image must be C-contiguous and aligned, got strides "
            + repr(array.attr("strides")) + " for shape " + shape
            + " (numpy.ascontiguousarray makes a copy that is)");
    }
    return { static_cast<const float*>(array.data()),
        { uint32_t(array.shape(1)), uint32_t(array.shape(0)) }, int(array.shape(2)) };
}

LensCorrect::Size pictureSize(int64_t width, int64_t height)
{
    for (const auto& [name, value] : { std::pair { "width", width }, { "height", height } })
    {
        if (value < 1 || value > int64_t(UINT32_MAX))
        {
            throw py::value_error(std::string(name)
                + " must be a pixel count from 1 to 4294967295, got " + std::to_string(value));
        }
    }
    return { uint32_t(width), uint32_t(height) };
}

py::array frameArray(LensCorrect::RgbaImage&& frame, int channels)
{
    const std::vector<py::ssize_t> shape { py::ssize_t(frame.size.height),
        py::ssize_t(frame.size.width), py::ssize_t(channels) };
    if (channels == 4)
    {
        // The array keeps the frame's buffer alive through its base object.
        py::object owner = py::cast(std::move(frame));
        float* pixels = owner.cast<LensCorrect::RgbaImage&>().pixels.data();
        return py::array_t<float>(shape, pixels, owner);
    }
    py::array_t<float> array(shape);
    float* pixels = array.mutable_data();
    std::vector<LensCorrect::RgbaImage> groups;
    groups.push_back(std::move(frame));
    {
        py::gil_scoped_release release;
        Corrector::join(groups, channels, pixels);
    }
    return std::move(array);
}

void bindImage(py::module_& module)
{
    // The owner of a frame's pixels behind a returned array (its base); nothing to use directly.
    py::class_<LensCorrect::RgbaImage>(module, "_FramePixels");
}

} // namespace PythonBindings
