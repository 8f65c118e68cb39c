// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Adobe/HostInterface.h"

namespace Host
{

/// The clip behind the effect's layer as each application tells it: After Effects hands out the
/// footage path as UTF-16 units in a memory handle, Premiere Pro the clip's file name as a host
/// string. Both stay alive until the plug-in frees them; unknown handles are refused.
class HostClip
{
public:
    /// The footage path u"/Volumes/Media/A001C003.mov", the file name "A001C003.mov".
    HostClip();

    /// After Effects: the footage path as UTF-16 units (any units: non-BMP pairs, lone
    /// surrogates).
    void setFootagePath(const std::u16string& path);
    /// Premiere Pro: the clip's file name; an empty optional makes GetFileName fail.
    void setClipFileName(const std::optional<std::string>& name);

    /// A memory handle holding the footage path.
    AEGP_MemHandle newPathHandle();
    /// False for a handle the host does not know.
    bool freePathHandle(AEGP_MemHandle handle);
    /// The handle's units followed by a zero, or null for a handle the host does not know.
    const char16_t* pathUnits(AEGP_MemHandle handle) const;

    /// A host string holding the clip's file name; none when the host knows no name.
    std::optional<PrSDKString> newFileNameString();
    /// False for a string the host does not know.
    bool disposeString(const PrSDKString& string);
    /// The string's text, or null for a string the host does not know.
    const std::string* text(const PrSDKString& string) const;

    /// Path handles and host strings the plug-in holds.
    std::size_t livePathHandles() const { return pathHandles.size(); }
    std::size_t liveStrings() const { return strings.size(); }

private:
    std::u16string footagePath;
    std::optional<std::string> clipFileName;
    std::map<AEGP_MemHandle, std::unique_ptr<std::u16string>> pathHandles;
    std::map<std::uint64_t, std::string> strings;
    std::uint64_t nextString = 1;
};

} // namespace Host
