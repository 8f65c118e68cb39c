// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "RecordingFormatDatabase/CsvStringBasedRecordingFormatDatabase.h"

#include <algorithm>
#include <cassert>
#include <locale>
#include <memory>
#include <string_view>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include "Exception/ClassicNumberReader.h"
#include "Exception/ProcessWide.h"
#include "RecordingFormatDatabase/RecordingFormatDatabaseExceptions.h"
#include "RecordingFormatDatabase/RecordingFormatsCsvStringArray.h"

namespace RecordingFormatDatabase
{

namespace
{

    ProcessWide<const CsvStringBasedRecordingFormatDatabase> sharedDatabase;

    // The table is fixed data that always converts; the integrity test keeps it so.
    template <typename Number>
    Number tableNumber(ClassicNumberReader& numbers, std::string_view text)
    {
        Number value {};
        const bool converted = numbers.read(text, value);
        assert(converted);
        static_cast<void>(converted);
        return value;
    }

    // The keys of a map, in its order. Built apart and then moved in, so that a failure leaves the
    // caller's vector as it was.
    template <typename Map> std::vector<std::string> namesOf(const Map& map)
    {
        std::vector<std::string> names;
        names.reserve(map.size());
        for (const auto& entry : map)
        {
            names.push_back(entry.first);
        }
        return names;
    }

} // namespace

bool CsvStringBasedRecordingFormatDatabase::iless::operator()(
    const std::string& lhs, const std::string& rhs) const
{
    // Not the C tolower: it is undefined for bytes above 127 and follows setlocale, and a host
    // switching locales must not reorder maps that are already built.
    static const auto& ctype = std::use_facet<std::ctype<char>>(std::locale::classic());
    return std::lexicographical_compare(lhs.begin(), lhs.end(), rhs.begin(), rhs.end(),
        [](char left, char right)
        {
            return static_cast<unsigned char>(ctype.tolower(left))
                < static_cast<unsigned char>(ctype.tolower(right));
        });
}

const CsvStringBasedRecordingFormatDatabase& CsvStringBasedRecordingFormatDatabase::sharedInstance()
{
    return sharedDatabase.once(
        []
        {
            return std::make_unique<const CsvStringBasedRecordingFormatDatabase>(
                recordingFormatsCsvStringArray.data(), recordingFormatsCsvStringArray.size());
        });
}

CsvStringBasedRecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase(
    const std::string_view* rows, std::size_t rowCount)
{
    ClassicNumberReader numbers;
    std::vector<std::string> parts;
    for (std::size_t index = 0; index < rowCount; ++index)
    {
        // Fields: manufacturer, model, sensor (not kept), format, width mm, height mm, width px,
        // height px. Empty fields are kept so that the positions stay fixed.
        boost::algorithm::split(parts, rows[index], boost::algorithm::is_any_of(";"));
        assert(parts.size() == 8);
        if (parts.size() != 8)
        {
            continue;
        }
        RecordingFormat& format = manufacturers[parts[0]][parts[1]][parts[3]];
        format.imageAreaWidth = tableNumber<float>(numbers, parts[4]);
        format.imageAreaHeight = tableNumber<float>(numbers, parts[5]);
        format.clipResolutionWidth = tableNumber<unsigned int>(numbers, parts[6]);
        format.clipResolutionHeight = tableNumber<unsigned int>(numbers, parts[7]);
        format.imageAreaRadius = imageAreaRadius(format.imageAreaWidth, format.imageAreaHeight);
    }
}

void CsvStringBasedRecordingFormatDatabase::cameraManufacturers(
    std::vector<std::string>& cameraManufacturers) const
{
    cameraManufacturers = namesOf(manufacturers);
}

void CsvStringBasedRecordingFormatDatabase::cameraModels(
    const std::string& cameraManufacturer, std::vector<std::string>& cameraModels) const
{
    cameraModels = namesOf(modelsOf(cameraManufacturer));
}

void CsvStringBasedRecordingFormatDatabase::recordingFormats(const std::string& cameraManufacturer,
    const std::string& cameraModel, std::map<std::string, RecordingFormat>& recordingFormats) const
{
    const ModelMap& models = modelsOf(cameraManufacturer);
    const auto model = models.find(cameraModel);
    if (model == models.end())
    {
        throw CameraManufacturerModelMismatchException(cameraManufacturer, cameraModel);
    }
    // Copy before swapping, so that the caller's map stays as it was if copying fails.
    FormatMap formats(model->second);
    recordingFormats.swap(formats);
}

const CsvStringBasedRecordingFormatDatabase::ModelMap&
CsvStringBasedRecordingFormatDatabase::modelsOf(const std::string& cameraManufacturer) const
{
    const auto manufacturer = manufacturers.find(cameraManufacturer);
    if (manufacturer == manufacturers.end())
    {
        throw CameraManufacturerNotFoundException(cameraManufacturer);
    }
    return manufacturer->second;
}

} // namespace RecordingFormatDatabase
