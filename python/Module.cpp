// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Bindings.h"

PYBIND11_MODULE(lenscorrection, module)
{
    module.doc() = "Lens shading and distortion correction for pipelines: correction files "
                   "(LensData) and the lenscorrect tool's corrector (Corrector) on NumPy arrays.";
    PythonBindings::bindError(module);
    PythonBindings::bindImage(module);
    PythonBindings::bindLensData(module);
    PythonBindings::bindCorrector(module);
}
