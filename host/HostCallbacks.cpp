// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostCallbacks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "host/PixelWorldRegistry.h"

namespace Host
{

namespace
{

    /// The error of a footage call that fails (A_Err_GENERIC in the host's SDK).
    const A_Err genericError = 1;

    /// Sizes above this are refused as a real host would refuse them for lack of memory.
    const A_u_longlong largestHandle = A_u_longlong { 1 } << 30;

    thread_local SimulatedHost* currentHost = nullptr;

    std::mutex registryMutex;
    std::map<const void*, PixelWorld::State*>& registry()
    {
        static std::map<const void*, PixelWorld::State*> worlds;
        return worlds;
    }

    std::string suiteKey(const std::string& name, A_long version)
    {
        return name + "/" + std::to_string(version);
    }

} // namespace

namespace PixelWorldRegistry
{

    void add(PixelWorld::State* state)
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry()[state->bytes.data()] = state;
    }

    void remove(PixelWorld::State* state)
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry().erase(state->bytes.data());
    }

    PF_Err pixelData(const PF_EffectWorld* world, bool deep, void** result)
    {
        if (!result)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *result = nullptr;
        if (!world)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        const std::lock_guard<std::mutex> lock(registryMutex);
        const auto found = registry().find(world->data);
        if (found == registry().end())
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        PixelWorld::State& state = *found->second;
        const std::size_t request = state.requests++;
        const bool worldDeep = state.world.world_flags & PF_WorldFlag_DEEP;
        if (request >= state.failFrom || worldDeep != deep)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *result = state.bytes.data();
        return PF_Err_NONE;
    }

} // namespace PixelWorldRegistry

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

const void* HostCallbacks::suite(SimulatedHost& host, const std::string& name, A_long version)
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

    const bool afterEffects = host.applId == PF_APPL_ID_AFTER_EFFECTS;
    const bool premierePro = host.applId == PF_APPL_ID_PREMIERE_PRO;
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
    if (host->withheldSuites.count(name))
    {
        return A_Err_MISSING_SUITE;
    }
    const bool handOutNull = host->nullSuites.count(name) > 0;
    const void* found = handOutNull ? nullptr : suite(*host, name, version);
    if (!found && !handOutNull)
    {
        return A_Err_MISSING_SUITE;
    }
    if (host->runningCommand)
    {
        ++host->runningCommand->suites[suiteKey(name, version)].acquired;
    }
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
    if (host->runningCommand)
    {
        ++host->runningCommand->suites[suiteKey(name, version)].released;
    }
    return A_Err_NONE;
}

// ---- Handles ----------------------------------------------------------------------------------

PF_Handle HostCallbacks::newHandle(A_u_longlong size)
{
    SimulatedHost* host = current();
    if (!host || host->handleAllocationsFail || size > largestHandle)
    {
        return nullptr;
    }
    try
    {
        // Fresh host memory is not zeroed: the plug-in must write every byte it relies on.
        return host->newHandle(std::vector<unsigned char>(size, 0xCD));
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
    const auto found = host->handles.find(handle);
    if (found == host->handles.end())
    {
        ++host->misuse;
        return nullptr;
    }
    ++found->second->locks;
    return found->second->data;
}

void HostCallbacks::unlockHandle(PF_Handle handle)
{
    SimulatedHost* host = current();
    if (!host)
    {
        return;
    }
    const auto found = host->handles.find(handle);
    if (found == host->handles.end() || found->second->locks == 0)
    {
        ++host->misuse;
        return;
    }
    --found->second->locks;
}

void HostCallbacks::disposeHandle(PF_Handle handle)
{
    if (SimulatedHost* host = current())
    {
        host->disposeHandle(handle);
    }
}

A_u_longlong HostCallbacks::handleSize(PF_Handle handle)
{
    SimulatedHost* host = current();
    if (!host)
    {
        return 0;
    }
    const auto found = host->handles.find(handle);
    if (found == host->handles.end())
    {
        ++host->misuse;
        return 0;
    }
    return found->second->bytes.size();
}

// ---- Parameters -------------------------------------------------------------------------------

PF_Err HostCallbacks::addParam(PF_ProgPtr effectRef, PF_ParamIndex index, PF_ParamDefPtr def)
{
    SimulatedHost* host = hostOf(effectRef);
    const auto count = host ? static_cast<PF_ParamIndex>(host->parameters.size()) : 0;
    if (!host || !def || !host->registering || (index != PF_ParamIndex_APPEND && index != count))
    {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    SimulatedHost::Parameter parameter;
    parameter.def = *def;
    // The plug-in's texts need not outlive the call: keep copies.
    const char* text = nullptr;
    switch (def->param_type)
    {
    case PF_Param_POPUP:
        text = def->u.pd.u.namesptr;
        break;
    case PF_Param_CHECKBOX:
        text = def->u.bd.u.nameptr;
        break;
    case PF_Param_BUTTON:
        text = def->u.button_d.u.namesptr;
        break;
    default:
        break;
    }
    parameter.text = text ? text : "";
    parameter.def.name[sizeof parameter.def.name - 1] = '\0';
    host->parameters.push_back(std::move(parameter));
    return PF_Err_NONE;
}

PF_Err HostCallbacks::updateParamUI(
    PF_ProgPtr effectRef, PF_ParamIndex index, const PF_ParamDef* def)
{
    SimulatedHost* host = hostOf(effectRef);
    if (!host || !def || index <= 0 || index >= static_cast<PF_ParamIndex>(host->parameters.size()))
    {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    PF_ParamDef& stored = host->parameters[index].def;
    stored.ui_flags = def->ui_flags;
    std::memcpy(stored.name, def->name, sizeof stored.name);
    stored.name[sizeof stored.name - 1] = '\0';
    host->uiUpdates.push_back({ index, stored.ui_flags, stored.name });
    return PF_Err_NONE;
}

// ---- After Effects footage --------------------------------------------------------------------

A_Err HostCallbacks::getEffectLayer(PF_ProgPtr effectRef, AEGP_LayerH* layer)
{
    SimulatedHost* host = hostOf(effectRef);
    if (!host || !layer || host->failingFootageCall == FootageCall::getEffectLayer)
    {
        return genericError;
    }
    *layer = reinterpret_cast<AEGP_LayerH>(host);
    return A_Err_NONE;
}

A_Err HostCallbacks::getLayerSourceItem(AEGP_LayerH layer, AEGP_ItemH* item)
{
    SimulatedHost* host = current();
    if (!host || !item || layer != reinterpret_cast<AEGP_LayerH>(host)
        || host->failingFootageCall == FootageCall::getLayerSourceItem)
    {
        return genericError;
    }
    *item = reinterpret_cast<AEGP_ItemH>(host);
    return A_Err_NONE;
}

A_Err HostCallbacks::getMainFootageFromItem(AEGP_ItemH item, AEGP_FootageH* footage)
{
    SimulatedHost* host = current();
    if (!host || !footage || item != reinterpret_cast<AEGP_ItemH>(host)
        || host->failingFootageCall == FootageCall::getMainFootageFromItem)
    {
        return genericError;
    }
    *footage = reinterpret_cast<AEGP_FootageH>(host);
    return A_Err_NONE;
}

A_Err HostCallbacks::getFootageNumFiles(AEGP_FootageH footage, A_long* files, A_long* filesPerFrame)
{
    SimulatedHost* host = current();
    if (!host || footage != reinterpret_cast<AEGP_FootageH>(host)
        || host->failingFootageCall == FootageCall::getFootageNumFiles)
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
        || index != 0 || host->failingFootageCall == FootageCall::getFootagePath)
    {
        return genericError;
    }
    auto units = std::make_unique<std::u16string>(host->footagePath);
    *path = reinterpret_cast<AEGP_MemHandle>(units.get());
    host->memHandles[*path] = std::move(units);
    return A_Err_NONE;
}

A_Err HostCallbacks::freeMemHandle(AEGP_MemHandle mem)
{
    SimulatedHost* host = current();
    if (!host || host->memHandles.erase(mem) == 0)
    {
        if (host)
        {
            ++host->misuse;
        }
        return genericError;
    }
    return A_Err_NONE;
}

A_Err HostCallbacks::lockMemHandle(AEGP_MemHandle mem, void** pointer)
{
    SimulatedHost* host = current();
    if (!host || !pointer || host->failingFootageCall == FootageCall::lockMemHandle)
    {
        return genericError;
    }
    const auto found = host->memHandles.find(mem);
    if (found == host->memHandles.end())
    {
        ++host->misuse;
        return genericError;
    }
    // c_str() keeps the terminating zero after the units.
    *pointer = const_cast<char16_t*>(found->second->c_str());
    return A_Err_NONE;
}

A_Err HostCallbacks::unlockMemHandle(AEGP_MemHandle mem)
{
    SimulatedHost* host = current();
    if (!host || !host->memHandles.count(mem))
    {
        if (host)
        {
            ++host->misuse;
        }
        return genericError;
    }
    return A_Err_NONE;
}

// ---- Premiere Pro file name -------------------------------------------------------------------

PF_Err HostCallbacks::getFileName(PF_ProgPtr effectRef, PrSDKString* name)
{
    SimulatedHost* host = hostOf(effectRef);
    if (!host || !name || !host->clipFileName)
    {
        return genericError;
    }
    const std::uint64_t id = host->nextHostString++;
    host->hostStrings[id] = *host->clipFileName;
    *name = PrSDKString { { id, 0 } };
    return PF_Err_NONE;
}

A_Err HostCallbacks::disposeString(const PrSDKString* string)
{
    SimulatedHost* host = current();
    if (!host || !string || host->hostStrings.erase(string->opaque[0]) == 0)
    {
        if (host)
        {
            ++host->misuse;
        }
        return genericError;
    }
    return A_Err_NONE;
}

A_Err HostCallbacks::copyToUtf8String(const PrSDKString* string, A_char* buffer, A_u_long* size)
{
    SimulatedHost* host = current();
    if (!host || !string || !buffer || !size)
    {
        return genericError;
    }
    const auto found = host->hostStrings.find(string->opaque[0]);
    if (found == host->hostStrings.end())
    {
        ++host->misuse;
        return genericError;
    }
    const std::size_t needed = found->second.size() + 1;
    if (host->stringCopiesTruncatedWithoutZero && *size < needed)
    {
        std::memcpy(buffer, found->second.data(), *size);
        return A_Err_NONE;
    }
    if (*size < needed)
    {
        return genericError;
    }
    std::memcpy(buffer, found->second.c_str(), needed);
    *size = static_cast<A_u_long>(needed);
    return A_Err_NONE;
}

// ---- Utility callbacks ------------------------------------------------------------------------

A_long HostCallbacks::hostSprintf(A_char* buffer, const A_char* format, ...)
{
    if (SimulatedHost* host = current())
    {
        host->formats.emplace_back(format ? format : "");
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
