// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostClip.h"

namespace Host
{

HostClip::HostClip()
    : footagePath(u"/Volumes/Media/A001C003.mov")
    , clipFileName("A001C003.mov")
{
}

void HostClip::setFootagePath(const std::u16string& path) { footagePath = path; }

void HostClip::setClipFileName(const std::optional<std::string>& name) { clipFileName = name; }

AEGP_MemHandle HostClip::newPathHandle()
{
    auto units = std::make_unique<std::u16string>(footagePath);
    const auto handle = reinterpret_cast<AEGP_MemHandle>(units.get());
    pathHandles[handle] = std::move(units);
    return handle;
}

bool HostClip::freePathHandle(AEGP_MemHandle handle) { return pathHandles.erase(handle) > 0; }

const char16_t* HostClip::pathUnits(AEGP_MemHandle handle) const
{
    const auto found = pathHandles.find(handle);
    // c_str() keeps the terminating zero after the units.
    return found == pathHandles.end() ? nullptr : found->second->c_str();
}

std::optional<PrSDKString> HostClip::newFileNameString()
{
    if (!clipFileName)
    {
        return std::nullopt;
    }
    const std::uint64_t id = nextString++;
    strings[id] = *clipFileName;
    return PrSDKString { { id, 0 } };
}

bool HostClip::disposeString(const PrSDKString& string)
{
    return strings.erase(string.opaque[0]) > 0;
}

const std::string* HostClip::text(const PrSDKString& string) const
{
    const auto found = strings.find(string.opaque[0]);
    return found == strings.end() ? nullptr : &found->second;
}

} // namespace Host
