// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>

#include "Adobe/HostInterface.h"
#include "host/HostError.h"

namespace Host
{

/// A loaded plug-in shared object: opened with dlopen (RTLD_NOW | RTLD_LOCAL, so that its
/// symbols never bind to another plug-in's), closed when the object goes. A plug-in that cannot
/// be opened, or that does not export EntryPointFunc, is a HostError naming the path.
class PluginModule
{
public:
    explicit PluginModule(const std::string& path);
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    PF_EntryPointFunc entryPoint() const { return entry; }
    const std::string& path() const { return modulePath; }

private:
    struct Closer
    {
        void operator()(void* handle) const;
    };

    std::string modulePath;
    std::unique_ptr<void, Closer> handle;
    PF_EntryPointFunc entry = nullptr;
};

} // namespace Host
