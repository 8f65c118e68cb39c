// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <string>
#include <vector>

#include "RecordingFormatDatabase/RecordingFormat.h"

namespace RecordingFormatDatabase
{

/// Camera recording formats by manufacturer, model and format name. Manufacturer and model names
/// match regardless of ASCII letter case; format names are case-sensitive. Every query replaces
/// the caller's container as a whole and leaves it untouched when it throws.
class RecordingFormatDatabase
{
public:
    virtual ~RecordingFormatDatabase() = default;

    /// All manufacturer names, in case-insensitive order.
    virtual void cameraManufacturers(std::vector<std::string>& cameraManufacturers) const = 0;

    /// The models of a manufacturer, in case-insensitive order.
    /// Throws CameraManufacturerNotFoundException for an unknown manufacturer.
    virtual void cameraModels(
        const std::string& cameraManufacturer, std::vector<std::string>& cameraModels) const = 0;

    /// The formats of a manufacturer's model, keyed by format name.
    /// Throws CameraManufacturerNotFoundException for an unknown manufacturer and
    /// CameraManufacturerModelMismatchException for a model the manufacturer does not have.
    virtual void recordingFormats(const std::string& cameraManufacturer,
        const std::string& cameraModel,
        std::map<std::string, RecordingFormat>& recordingFormats) const = 0;
};

} // namespace RecordingFormatDatabase
