// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Adobe/HostInterface.h"

namespace Host
{

class SimulatedHost;

/// The host's side of the C interface: the records of function pointers handed to plug-ins.
/// Suites carry no context, so the functions find the host of the command in progress on this
/// thread (set by SimulatedHost::send) and work on its parts through their public interfaces.
class HostCallbacks
{
public:
    static const SPBasicSuite basicSuite;
    static PF_UtilCallbacks utilityCallbacks;
    static PF_InteractCallbacks interactCallbacks;

    /// The host whose command runs on this thread; null outside a command.
    static SimulatedHost* current();
    static void setCurrent(SimulatedHost* host);

    /// A plug-in's effect reference for `host`.
    static PF_ProgPtr effectReference(SimulatedHost* host);

private:
    static const void* suite(const SimulatedHost& host, const std::string& name, A_long version);
    static A_Err acquireSuite(const char* name, A_long version, const void** suite);
    static A_Err releaseSuite(const char* name, A_long version);
    static SimulatedHost* hostOf(PF_ProgPtr effectRef);

    static PF_Handle newHandle(A_u_longlong size);
    static void* lockHandle(PF_Handle handle);
    static void unlockHandle(PF_Handle handle);
    static void disposeHandle(PF_Handle handle);
    static A_u_longlong handleSize(PF_Handle handle);

    static PF_Err updateParamUI(PF_ProgPtr effectRef, PF_ParamIndex index, const PF_ParamDef* def);
    static PF_Err addParam(PF_ProgPtr effectRef, PF_ParamIndex index, PF_ParamDefPtr def);

    static A_Err getEffectLayer(PF_ProgPtr effectRef, AEGP_LayerH* layer);
    static A_Err getLayerSourceItem(AEGP_LayerH layer, AEGP_ItemH* item);
    static A_Err getMainFootageFromItem(AEGP_ItemH item, AEGP_FootageH* footage);
    static A_Err getFootageNumFiles(AEGP_FootageH footage, A_long* files, A_long* filesPerFrame);
    static A_Err getFootagePath(
        AEGP_FootageH footage, A_long frame, A_long index, AEGP_MemHandle* path);
    static A_Err freeMemHandle(AEGP_MemHandle mem);
    static A_Err lockMemHandle(AEGP_MemHandle mem, void** pointer);
    static A_Err unlockMemHandle(AEGP_MemHandle mem);

    static PF_Err getFileName(PF_ProgPtr effectRef, PrSDKString* name);
    static A_Err disposeString(const PrSDKString* string);
    static A_Err copyToUtf8String(const PrSDKString* string, A_char* buffer, A_u_long* size);

    static A_long hostSprintf(A_char* buffer, const A_char* format, ...);
    static A_char* hostStrcpy(A_char* destination, const A_char* source);
    static PF_Err pixelData8(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** result);
    static PF_Err pixelData16(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** result);
};

} // namespace Host
