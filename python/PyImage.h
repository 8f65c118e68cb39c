// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

#include <pybind11/numpy.h>

#include "Image/RgbaImage.h"

namespace PythonBindings
{

/// A picture array's pixels, read in place.
struct Picture
{
    const float* pixels;
    LensCorrect::Size size;
    int channels;
};

/// The pixels of `image`, which must be a float32 numpy.ndarray of shape (height, width, 3) or
/// (height, width, 4), C-contiguous and not empty: TypeError or ValueError naming what was given
/// otherwise. Nothing is converted or copied, so nothing of another layout is taken silently.
Picture picture(const pybind11::object& image);

/// A picture size argument; ValueError unless both are from 1 to 2^32 - 1.
LensCorrect::Size pictureSize(int64_t width, int64_t height);

/// A new float32 array (height, width, channels) of an RGBA frame: the frame itself for 4
/// channels (handed over, not copied), its colour for 3. Releases the GIL while it copies.
pybind11::array frameArray(LensCorrect::RgbaImage&& frame, int channels);

} // namespace PythonBindings
