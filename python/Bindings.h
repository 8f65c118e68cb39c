// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>

namespace PythonBindings
{

/// The module's parts, added by the module's initialisation in this order.
void bindError(pybind11::module_& module);
void bindImage(pybind11::module_& module);
void bindLensData(pybind11::module_& module);
void bindCorrector(pybind11::module_& module);
void bindFrameMapping(pybind11::module_& module);

/// Text from files and the library (header values and paths are taken byte for byte) as str:
/// UTF-8 where it is, other bytes kept as surrogates as os.fsdecode keeps them; never an error.
pybind11::str text(const std::string& bytes);

/// A frame number argument; ValueError outside 0 to 2^32 - 1.
uint32_t frameNumber(int64_t frame);

} // namespace PythonBindings
