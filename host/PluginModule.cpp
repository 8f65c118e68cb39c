// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/PluginModule.h"

#include <dlfcn.h>

namespace Host
{

void PluginModule::Closer::operator()(void* module) const { dlclose(module); }

PluginModule::PluginModule(const std::string& path)
    : modulePath(path)
    , handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
{
    if (!handle)
    {
        const char* reason = dlerror();
        throw HostError(
            "Cannot load the plug-in \"" + path + "\": " + (reason ? reason : "unknown"));
    }
    dlerror();
    void* symbol = dlsym(handle.get(), PF_ENTRY_POINT_NAME);
    if (!symbol)
    {
        throw HostError("The plug-in \"" + path + "\" does not export " PF_ENTRY_POINT_NAME ".");
    }
    entry = reinterpret_cast<PF_EntryPointFunc>(symbol);
}

PluginModule::~PluginModule() = default;

} // namespace Host
