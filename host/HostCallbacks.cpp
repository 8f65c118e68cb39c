// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostCallbacks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/PixelWorldRegistry.h"
#include "host/SimulatedHost.h"

namespace Host
{

namespace
{

    /// The error of a footage call that fails (A_Err_GENERIC in the host's SDK).
    const A_Err genericError = 1;

    /// Sizes above this are refused as a real host would refuse them for lack of memory.
    const A_u_longlong largestHandle = A_u_longlong { 1 } << 30;

    thread_local SimulatedHost* currentHost = nullptr;

    /// Counts a call with something the host does not know; passes `known` on.
    bool known(SimulatedHost& host, bool known)
    {
        if (!known)
        {
            host.suiteUse().misused();
        }
        return known;
    }

    /// One step of the path from the effect to its footage, whose layer, item and footage are
    /// all the host itself (one layer per instance): `from` must be the host, `to` becomes it.
    template <typename From, typename To>
    A_Err footageStep(SimulatedHost* host, From from, To* to, FootageCall call)
    {
        if (!host || !to || from != reinterpret_cast<From>(host) || host->faults().fails(call))
        {
            return genericError;
        }
        *to = reinterpret_cast<To>(host);
        return A_Err_NONE;
    }

} // namespace

const SPBasicSuite HostCallbacks::basicSuite { acquireSuite, releaseSuite };

PF_UtilCallbacks HostCallbacks::utilityCallbacks {
    { hostSprintf, hostStrcpy },
    pixelData8,
    pixelData16,
};

PF_InteractCallbacks HostCallbacks::interactCallbacks { addParam };

SimulatedHost* HostCallbacks::current() { return currentHost; }

void HostCallbacks::setCurrent(SimulatedHost* host) { currentHost = host; }

PF_ProgPtr HostCallbacks::effectReference(SimulatedHost* host)
{
    return reinterpret_cast<PF_ProgPtr>(host);
}

SimulatedHost* HostCallbacks::hostOf(PF_ProgPtr effectRef)
{
    SimulatedHost* host = current();
    return host && effectRef == effectReference(host) ? host : nullptr;
}

// ---- Basic suite ------------------------------------------------------------------------------

const void* HostCallbacks::suite(const SimulatedHost& host, const std::string& name, A_long version)
{
    static const PF_HandleSuite1 handleSuite {
        newHandle,
        lockHandle,
        unlockHandle,
        disposeHandle,
        handleSize,
    };
    static const PF_ParamUtilsSuite3 paramUtilsSuite { updateParamUI };
    static const AEGP_PFInterfaceSuite1 pfInterfaceSuite { getEffectLayer };
    static const AEGP_LayerSuite14 layerSuite { getLayerSourceItem };
    static const AEGP_FootageSuite11 footageSuite {
        getMainFootageFromItem,
        getFootageNumFiles,
        getFootagePath,
    };
    static const AEGP_MemorySuite1 memorySuite { freeMemHandle, lockMemHandle, unlockMemHandle };
    static const PF_UtilitySuite8 utilitySuite { getFileName };
    static const PrSDKStringSuite stringSuite { disposeString, copyToUtf8String };

    const bool afterEffects = host.applicationId() == PF_APPL_ID_AFTER_EFFECTS;
    const bool premierePro = host.applicationId() == PF_APPL_ID_PREMIERE_PRO;
    const struct
    {
        const char* name;
        A_long version;
        bool available;
        const void* suite;
    } suites[] = {
        { kPFHandleSuite, kPFHandleSuiteVersion1, true, &handleSuite },
        { kPFParamUtilsSuite, kPFParamUtilsSuiteVersion3, true, &paramUtilsSuite },
        { kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, afterEffects, &pfInterfaceSuite },
        { kAEGPLayerSuite, kAEGPLayerSuiteVersion14, afterEffects, &layerSuite },
        { kAEGPFootageSuite, kAEGPFootageSuiteVersion11, afterEffects, &footageSuite },
        { kAEGPMemorySuite, kAEGPMemorySuiteVersion1, afterEffects, &memorySuite },
        { kPFUtilitySuite, kPFUtilitySuiteVersion8, premierePro, &utilitySuite },
        { kPrSDKStringSuite, kPrSDKStringSuiteVersion, premierePro, &stringSuite },
    };
    for (const auto& entry : suites)
    {
        if (entry.available && name == entry.name && version == entry.version)
        {
            return entry.suite;
        }
    }
    return nullptr;
}

A_Err HostCallbacks::acquireSuite(const char* name, A_long version, const void** result)
{
    SimulatedHost* host = current();
    if (!result || !name || !host)
    {
        return A_Err_MISSING_SUITE;
    }
    *result = nullptr;
    if (host->faults().suiteWithheld(name))
    {
        return A_Err_MISSING_SUITE;
    }
    const bool handOutNull = host->faults().suiteHandedOutNull(name);
    const void* found = handOutNull ? nullptr : suite(*host, name, version);
    if (!found && !handOutNull)
    {
        return A_Err_MISSING_SUITE;
    }
    host->suiteUse().acquired(name, version);
    *result = found;
    return A_Err_NONE;
}

A_Err HostCallbacks::releaseSuite(const char* name, A_long version)
{
    SimulatedHost* host = current();
    if (!name || !host)
    {
        return A_Err_MISSING_SUITE;
    }
    host->suiteUse().released(name, version);
    return A_Err_NONE;
}

// ---- Handles ----------------------------------------------------------------------------------

PF_Handle HostCallbacks::newHandle(A_u_longlong size)
{
    SimulatedHost* host = current();
    if (!host || host->faults().handleAllocationsFail() || size > largestHandle)
    {
        return nullptr;
    }
    try
    {
        // Fresh host memory is not zeroed: the plug-in must write every byte it relies on.
        return host->memory().allocate(std::vector<unsigned char>(size, 0xCD));
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

void* HostCallbacks::lockHandle(PF_Handle handle)
{
    SimulatedHost* host = current();
    if (!host)
    {
        return nullptr;
    }
    void* data = host->memory().lock(handle);
    known(*host, data != nullptr);
    return data;
}

void HostCallbacks::unlockHandle(PF_Handle handle)
{
    if (SimulatedHost* host = current())
    {
        known(*host, host->memory().unlock(handle));
    }
}

void HostCallbacks::disposeHandle(PF_Handle handle)
{
    if (SimulatedHost* host = current())
    {
        known(*host, host->memory().dispose(handle));
    }
}

A_u_longlong HostCallbacks::handleSize(PF_Handle handle)
{
    SimulatedHost* host = current();
    if (!host)
    {
        return 0;
    }
    const std::vector<unsigned char>* bytes = host->memory().bytes(handle);
    return known(*host, bytes != nullptr) ? bytes->size() : 0;
}

// ---- Parameters -------------------------------------------------------------------------------

PF_Err HostCallbacks::addParam(PF_ProgPtr effectRef, PF_ParamIndex index, PF_ParamDefPtr def)
{
    SimulatedHost* host = hostOf(effectRef);
    return host && def ? host->parameters().add(index, *def) : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err HostCallbacks::updateParamUI(
    PF_ProgPtr effectRef, PF_ParamIndex index, const PF_ParamDef* def)
{
    SimulatedHost* host = hostOf(effectRef);
    return host && def ? host->parameters().updateUi(index, *def) : PF_Err_BAD_CALLBACK_PARAM;
}

// ---- After Effects footage --------------------------------------------------------------------

A_Err HostCallbacks::getEffectLayer(PF_ProgPtr effectRef, AEGP_LayerH* layer)
{
    return footageStep(current(), effectRef, layer, FootageCall::getEffectLayer);
}

A_Err HostCallbacks::getLayerSourceItem(AEGP_LayerH layer, AEGP_ItemH* item)
{
    return footageStep(current(), layer, item, FootageCall::getLayerSourceItem);
}

A_Err HostCallbacks::getMainFootageFromItem(AEGP_ItemH item, AEGP_FootageH* footage)
{
    return footageStep(current(), item, footage, FootageCall::getMainFootageFromItem);
}

A_Err HostCallbacks::getFootageNumFiles(AEGP_FootageH footage, A_long* files, A_long* filesPerFrame)
{
    SimulatedHost* host = current();
    if (!host || footage != reinterpret_cast<AEGP_FootageH>(host)
        || host->faults().fails(FootageCall::getFootageNumFiles))
    {
        return genericError;
    }
    if (files)
    {
        *files = 1;
    }
    if (filesPerFrame)
    {
        *filesPerFrame = 1;
    }
    return A_Err_NONE;
}

A_Err HostCallbacks::getFootagePath(
    AEGP_FootageH footage, A_long frame, A_long index, AEGP_MemHandle* path)
{
    SimulatedHost* host = current();
    if (!host || !path || footage != reinterpret_cast<AEGP_FootageH>(host) || frame != 0
        || index != 0 || host->faults().fails(FootageCall::getFootagePath))
    {
        return genericError;
    }
    *path = host->clip().newPathHandle();
    return A_Err_NONE;
}

A_Err HostCallbacks::freeMemHandle(AEGP_MemHandle mem)
{
    SimulatedHost* host = current();
    return host && known(*host, host->clip().freePathHandle(mem)) ? A_Err_NONE : genericError;
}

A_Err HostCallbacks::lockMemHandle(AEGP_MemHandle mem, void** pointer)
{
    SimulatedHost* host = current();
    if (!host || !pointer || host->faults().fails(FootageCall::lockMemHandle))
    {
        return genericError;
    }
    const char16_t* units = host->clip().pathUnits(mem);
    if (!known(*host, units != nullptr))
    {
        return genericError;
    }
    *pointer = const_cast<char16_t*>(units);
    return A_Err_NONE;
}

A_Err HostCallbacks::unlockMemHandle(AEGP_MemHandle mem)
{
    SimulatedHost* host = current();
    return host && known(*host, host->clip().pathUnits(mem) != nullptr) ? A_Err_NONE : genericError;
}

// ---- Premiere Pro file name -------------------------------------------------------------------

PF_Err HostCallbacks::getFileName(PF_ProgPtr effectRef, PrSDKString* name)
{
    SimulatedHost* host = hostOf(effectRef);
    const std::optional<PrSDKString> string
        = host && name ? host->clip().newFileNameString() : std::nullopt;
    if (!string)
    {
        return genericError;
    }
    *name = *string;
    return PF_Err_NONE;
}

A_Err HostCallbacks::disposeString(const PrSDKString* string)
{
    SimulatedHost* host = current();
    return host && known(*host, string && host->clip().disposeString(*string)) ? A_Err_NONE
                                                                               : genericError;
}

A_Err HostCallbacks::copyToUtf8String(const PrSDKString* string, A_char* buffer, A_u_long* size)
{
    SimulatedHost* host = current();
    if (!host || !string || !buffer || !size)
    {
        return genericError;
    }
    const std::string* text = host->clip().text(*string);
    if (!known(*host, text != nullptr))
    {
        return genericError;
    }
    const std::size_t needed = text->size() + 1;
    if (host->faults().stringCopiesTruncatedWithoutZero() && *size < needed)
    {
        std::memcpy(buffer, text->data(), *size);
        return A_Err_NONE;
    }
    if (*size < needed)
    {
        return genericError;
    }
    std::memcpy(buffer, text->c_str(), needed);
    *size = static_cast<A_u_long>(needed);
    return A_Err_NONE;
}

// ---- Utility callbacks ------------------------------------------------------------------------

A_long HostCallbacks::hostSprintf(A_char* buffer, const A_char* format, ...)
{
    if (SimulatedHost* host = current())
    {
        host->suiteUse().sprintfCalled(format);
    }
    // As unbounded as the real one: whatever the format produces is written.
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsprintf(buffer, format, arguments);
    va_end(arguments);
    return written;
}

A_char* HostCallbacks::hostStrcpy(A_char* destination, const A_char* source)
{
    return std::strcpy(destination, source);
}

PF_Err HostCallbacks::pixelData8(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel8** result)
{
    return PixelWorldRegistry::pixelData(world, false, reinterpret_cast<void**>(result));
}

PF_Err HostCallbacks::pixelData16(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel16** result)
{
    return PixelWorldRegistry::pixelData(world, true, reinterpret_cast<void**>(result));
}

} // namespace Host
