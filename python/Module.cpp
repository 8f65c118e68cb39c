// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Bindings.h"
#include "Image/HeapSettings.h"

PYBIND11_MODULE(lenscorrection, module)
{
    module.doc()
        = "Lens shading and distortion correction for pipelines: correction files "
          "(LensData), the lenscorrect tool's corrector (Corrector) on NumPy arrays and its "
          "frame mapping (read_frame_mapping).";
    PythonBindings::bindError(module);
    PythonBindings::bindImage(module);
    PythonBindings::bindLensData(module);
    PythonBindings::bindCorrector(module);
    PythonBindings::bindFrameMapping(module);
    // Opt-in: it changes the allocator of the whole interpreter, as the tool does for its process.
    module.def("keep_freed_memory_in_heap", &LensCorrect::keepFreedFrameMemoryInHeap,
        "Keep freed frame memory in the process's heap, as the lenscorrect tool does, so that "
        "each frame's large buffers are not mapped and faulted in anew: faster correct() on "
        "large frames, at the cost of memory not returned to the system. Call once, early.");
}
