// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Adobe/HostInterface.h"

/// The arguments of the host call in progress. The plug-in object owns one record, overwrites it
/// at the start of every call and shares it with the objects it creates for a command (clip,
/// frame, parameters) and with its data source. The pointers belong to the host and are valid
/// only during that call; nothing may keep them beyond it.
struct AeInterface
{
    PF_Cmd command = 0;
    PF_InData* inData = nullptr;
    PF_OutData* outData = nullptr;
    PF_ParamDef** params = nullptr; ///< index 0 is the effect's input layer
    PF_LayerDef* output = nullptr;
    void* extra = nullptr; ///< PF_Cmd_USER_CHANGED_PARAM: PF_UserChangedParamExtra*
};
