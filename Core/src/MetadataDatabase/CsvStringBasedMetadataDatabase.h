// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <string>

#include "MetadataDatabase/MetadataDatabase.h"
#include "RecordingFormatDatabase/CsvStringBasedRecordingFormatDatabase.h"

namespace MetadataDatabase
{

/// The metadata key database parsed from the built-in rows (see metadataKeysCsvStringArray).
/// Read-only after construction, so it may be queried from any number of threads at once.
class CsvStringBasedMetadataDatabase : public MetadataDatabase
{
public:
    /// The same case-insensitive name order as the recording format database.
    using iless = RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase::iless;

    /// The process-wide database, built by the first call (concurrent first calls wait for it)
    /// and never destroyed.
    static const CsvStringBasedMetadataDatabase& sharedInstance();

    /// Parses the built-in table.
    CsvStringBasedMetadataDatabase();

    void keyForKind(MetadataKind kind, const std::string& cameraManufacturer,
        const std::string& containerFormat, std::string& key) const override;

private:
    using ContainerFormatMap = std::map<std::string, std::string, iless>;
    using ManufacturerMap = std::map<std::string, ContainerFormatMap, iless>;
    using KindMap = std::map<std::string, ManufacturerMap>;

    KindMap kinds;
};

} // namespace MetadataDatabase
