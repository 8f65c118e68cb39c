// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "MetadataDatabase/MetadataKind.h"

namespace MetadataDatabase
{

/// Under which host metadata key clips of a camera manufacturer and container format hold a kind
/// of information. Manufacturer and container format match regardless of ASCII letter case.
class MetadataDatabase
{
public:
    virtual ~MetadataDatabase() = default;

    /// Assigns the key to `key`. Throws CameraManufacturerContainerFormatMismatchException, and
    /// leaves `key` untouched, when the table has no key of that kind for the manufacturer and
    /// container format.
    virtual void keyForKind(MetadataKind kind, const std::string& cameraManufacturer,
        const std::string& containerFormat, std::string& key) const = 0;
};

} // namespace MetadataDatabase
