// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "MetadataDatabase/CsvStringBasedMetadataDatabase.h"

#include <cassert>
#include <memory>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include "Exception/ProcessWide.h"
#include "MetadataDatabase/MetadataDatabaseExceptions.h"
#include "MetadataDatabase/MetadataKeysCsvStringArray.h"

namespace MetadataDatabase
{

namespace
{

    ProcessWide<const CsvStringBasedMetadataDatabase> sharedDatabase;

    const char* kindName(MetadataKind kind)
    {
        switch (kind)
        {
        case MetadataKind::ClipFileName:
            return "ClipFileName";
        case MetadataKind::Timecode:
            return "Timecode";
        }
        assert(!"kind is an enumerator");
        return "";
    }

} // namespace

const CsvStringBasedMetadataDatabase& CsvStringBasedMetadataDatabase::sharedInstance()
{
    return sharedDatabase.once(
        [] { return std::make_unique<const CsvStringBasedMetadataDatabase>(); });
}

CsvStringBasedMetadataDatabase::CsvStringBasedMetadataDatabase()
{
    std::vector<std::string> parts;
    for (const std::string_view row : metadataKeysCsvStringArray)
    {
        // Fields: kind name, manufacturer, container format, key.
        boost::algorithm::split(parts, row, boost::algorithm::is_any_of(";"));
        assert(parts.size() == 4);
        if (parts.size() == 4)
        {
            kinds[parts[0]][parts[1]][parts[2]] = parts[3];
        }
    }
}

void CsvStringBasedMetadataDatabase::keyForKind(MetadataKind kind,
    const std::string& cameraManufacturer, const std::string& containerFormat,
    std::string& key) const
{
    const char* const name = kindName(kind);
    const auto kindEntry = kinds.find(name);
    const bool kindExists = kindEntry != kinds.end();
    assert(kindExists);
    if (kindExists)
    {
        const auto manufacturer = kindEntry->second.find(cameraManufacturer);
        if (manufacturer != kindEntry->second.end())
        {
            const auto container = manufacturer->second.find(containerFormat);
            if (container != manufacturer->second.end())
            {
                key = container->second;
                return;
            }
        }
    }
    throw CameraManufacturerContainerFormatMismatchException(
        name, cameraManufacturer, containerFormat);
}

} // namespace MetadataDatabase
