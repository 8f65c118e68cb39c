// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensDistortionCorrection/LensDistortionCorrection.h"

namespace
{

// The plug-in's one object, serving every effect instance from load to unload.
LensDistortionCorrection correction;

} // namespace

extern "C" DllExport PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
    PF_ParamDef* params[], PF_LayerDef* output, void* extra)
{
    return correction.run(cmd, in_data, out_data, params, output, extra);
}
