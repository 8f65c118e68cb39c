// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "AePlugin/AeClip.h"

#include <array>
#include <cstring>

#include "Adobe/AEFX_SuiteScoper.h"
#include "Adobe/AEGP_SuiteHandler.h"
#include "AePlugin/AeClipDetail.h"

namespace
{

/// Frees the host's path handle on every way out, after unlocking it if it was locked.
class LockedPath
{
public:
    LockedPath(const AEGP_MemorySuite1* memory, AEGP_MemHandle handle)
        : memory(memory)
        , handle(handle)
    {
        locked = memory->AEGP_LockMemHandle(handle, &pointer) == A_Err_NONE;
    }
    ~LockedPath()
    {
        // A handle that will not unlock is left to the host rather than freed while locked.
        if (!locked || memory->AEGP_UnlockMemHandle(handle) == A_Err_NONE)
        {
            memory->AEGP_FreeMemHandle(handle);
        }
    }
    LockedPath(const LockedPath&) = delete;
    LockedPath& operator=(const LockedPath&) = delete;

    const char16_t* units() const
    {
        return locked ? static_cast<const char16_t*>(pointer) : nullptr;
    }

private:
    const AEGP_MemorySuite1* memory;
    AEGP_MemHandle handle;
    void* pointer = nullptr;
    bool locked = false;
};

} // namespace

AeClip::AeClip(std::shared_ptr<AeInterface> ae)
    : ae(std::move(ae))
{
}

bool AeClip::filePath(std::string& path) const
{
    const PF_InData* inData = ae->inData;
    if (!inData || inData->appl_id != PF_APPL_ID_AFTER_EFFECTS)
    {
        return false;
    }
    const AEGP_SuiteHandler suites(inData->pica_basicP);
    // Every suite before the host hands us a path handle, so that a missing one cannot leak it.
    const AEGP_MemorySuite1* memory = suites.MemorySuite1();
    const AEGP_FootageSuite11* footageSuite = suites.FootageSuite11();
    AEGP_LayerH layer = nullptr;
    AEGP_ItemH item = nullptr;
    AEGP_FootageH footage = nullptr;
    A_long fileCount = 0;
    AEGP_MemHandle pathHandle = nullptr;
    if (suites.PFInterfaceSuite1()->AEGP_GetEffectLayer(inData->effect_ref, &layer) != A_Err_NONE
        || suites.LayerSuite14()->AEGP_GetLayerSourceItem(layer, &item) != A_Err_NONE
        || footageSuite->AEGP_GetMainFootageFromItem(item, &footage) != A_Err_NONE
        || footageSuite->AEGP_GetFootageNumFiles(footage, &fileCount, nullptr) != A_Err_NONE
        || footageSuite->AEGP_GetFootagePath(footage, 0, 0, &pathHandle) != A_Err_NONE
        || !pathHandle)
    {
        return false;
    }
    std::string utf8;
    {
        const LockedPath locked(memory, pathHandle);
        if (!locked.units() || !AeClipDetail::utf8FromZeroTerminatedUtf16(locked.units(), utf8))
        {
            return false;
        }
    }
    if (utf8.empty())
    {
        return false;
    }
    path = std::move(utf8);
    return true;
}

bool AeClip::fileName(std::string& name) const
{
    const PF_InData* inData = ae->inData;
    if (!inData)
    {
        return false;
    }
    if (inData->appl_id == PF_APPL_ID_PREMIERE_PRO)
    {
        return premiereProFileName(name);
    }
    std::string path;
    if (inData->appl_id != PF_APPL_ID_AFTER_EFFECTS || !filePath(path))
    {
        return false;
    }
    const std::string lastComponent = path.substr(path.rfind('/') + 1);
    if (lastComponent.empty())
    {
        return false;
    }
    name = lastComponent;
    return true;
}

bool AeClip::premiereProFileName(std::string& name) const
{
    const PF_InData* inData = ae->inData;
    const AEFX_SuiteScoper<PF_UtilitySuite8> utilitySuite(inData, kPFUtilitySuite,
        kPFUtilitySuiteVersion8, ae->outData, "PF_UtilitySuite8 could not be loaded.");
    // Both suites before the host hands us a string, so that a missing one cannot leak it.
    const AEFX_SuiteScoper<PrSDKStringSuite> stringSuite(inData, kPrSDKStringSuite,
        kPrSDKStringSuiteVersion, ae->outData, "PrSDKStringSuite could not be loaded.");
    PrSDKString hostName {};
    if (utilitySuite->GetFileName(inData->effect_ref, &hostName) != PF_Err_NONE)
    {
        return false;
    }
    std::array<A_char, 4096> buffer {};
    A_u_long size = buffer.size();
    const A_Err copied = stringSuite->CopyToUTF8String(&hostName, buffer.data(), &size);
    // The host string is ours once GetFileName returned it.
    stringSuite->DisposeString(&hostName);
    // A host that filled the whole buffer without a zero has cut the name: a cut name would
    // name another clip, so there is none.
    const bool terminated = std::memchr(buffer.data(), '\0', buffer.size()) != nullptr;
    if (copied != A_Err_NONE || !terminated || buffer[0] == '\0')
    {
        return false;
    }
    name = buffer.data();
    return true;
}
