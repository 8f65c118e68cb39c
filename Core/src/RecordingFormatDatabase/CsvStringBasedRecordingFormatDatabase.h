// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "RecordingFormatDatabase/RecordingFormatDatabase.h"

namespace RecordingFormatDatabase
{

/// The recording format database parsed from ";"-separated rows (see
/// recordingFormatsCsvStringArray). Read-only after construction, so one instance may be queried
/// from any number of threads at once.
class CsvStringBasedRecordingFormatDatabase : public RecordingFormatDatabase
{
public:
    /// Case-insensitive order of manufacturer and model names: bytes folded through the classic
    /// locale's tolower (ASCII letters only), then compared as unsigned bytes; a prefix sorts
    /// first.
    struct iless
    {
        bool operator()(const std::string& lhs, const std::string& rhs) const;
    };

    /// The process-wide database of the built-in table, built by the first call (concurrent first
    /// calls wait for it) and never destroyed, so it stays usable during static destruction.
    static const CsvStringBasedRecordingFormatDatabase& sharedInstance();

    /// Parses rows[0] to rows[rowCount - 1]. A later row with the same manufacturer, model and
    /// format overwrites the earlier values; names keep the spelling of the first row that has
    /// them. The rows are trusted data: a row without eight fields is a programming error.
    CsvStringBasedRecordingFormatDatabase(const std::string_view* rows, std::size_t rowCount);

    void cameraManufacturers(std::vector<std::string>& cameraManufacturers) const override;
    void cameraModels(const std::string& cameraManufacturer,
        std::vector<std::string>& cameraModels) const override;
    void recordingFormats(const std::string& cameraManufacturer, const std::string& cameraModel,
        std::map<std::string, RecordingFormat>& recordingFormats) const override;

private:
    using FormatMap = std::map<std::string, RecordingFormat>;
    using ModelMap = std::map<std::string, FormatMap, iless>;
    using ManufacturerMap = std::map<std::string, ModelMap, iless>;

    const ModelMap& modelsOf(const std::string& cameraManufacturer) const;

    ManufacturerMap manufacturers;
};

} // namespace RecordingFormatDatabase
