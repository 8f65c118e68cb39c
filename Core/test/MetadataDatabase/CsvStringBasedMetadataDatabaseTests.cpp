// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <gtest/gtest.h>

#include "MetadataDatabase/CsvStringBasedMetadataDatabase.h"
#include "MetadataDatabase/MetadataDatabaseExceptions.h"
#include "MetadataDatabase/MetadataKeysCsvStringArray.h"
#include "Support/ConcurrentFirstCalls.h"

using MetadataDatabase::CameraManufacturerContainerFormatMismatchException;
using MetadataDatabase::CsvStringBasedMetadataDatabase;
using MetadataDatabase::MetadataKind;

namespace
{

const CsvStringBasedMetadataDatabase& database()
{
    return CsvStringBasedMetadataDatabase::sharedInstance();
}

} // namespace

// First in this file, so that in a whole-suite run these really are the first calls.
TEST(CsvStringBasedMetadataDatabase, ConcurrentFirstCallsShareOneInstance)
{
    const auto instances = TestSupport::resultsOfConcurrentCalls(
        8, [] { return &CsvStringBasedMetadataDatabase::sharedInstance(); });
    for (const auto* instance : instances)
    {
        EXPECT_EQ(instance, instances.front());
    }
}

TEST(CsvStringBasedMetadataDatabase, KeysByKindManufacturerAndContainerInAnyLetterCase)
{
    const struct
    {
        MetadataKind kind;
        const char* manufacturer;
        const char* container;
        const char* key; // nullptr: the table has none
    } cases[] = {
        { MetadataKind::ClipFileName, "arri", "mxf", "arri/camera/CameraClipName" },
        { MetadataKind::ClipFileName, "ARRI", "MXF", "arri/camera/CameraClipName" },
        { MetadataKind::ClipFileName, "aRrI", "Mxf", "arri/camera/CameraClipName" },
        { MetadataKind::ClipFileName, "RED", "R3D", "r3d/reel_id_full" },
        { MetadataKind::ClipFileName, "RED", "EXR", nullptr },
        { MetadataKind::Timecode, "RED", "EXR", "input/timecode" },
        { MetadataKind::Timecode, "red", "r3d", "r3d/start_absolute_timecode" },
        { MetadataKind::ClipFileName, "Sony", "MOV", "quicktime/apple/proapps/reel" },
        { MetadataKind::ClipFileName, "Sony", "MXF", nullptr },
        { MetadataKind::Timecode, "Canon", "MOV", nullptr },
        { MetadataKind::Timecode, "", "", nullptr },
    };
    for (const auto& entry : cases)
    {
        SCOPED_TRACE(std::string(entry.manufacturer) + " " + entry.container);
        std::string key = "kept";
        if (entry.key)
        {
            database().keyForKind(entry.kind, entry.manufacturer, entry.container, key);
            EXPECT_EQ(key, entry.key);
        }
        else
        {
            EXPECT_THROW(
                database().keyForKind(entry.kind, entry.manufacturer, entry.container, key),
                CameraManufacturerContainerFormatMismatchException);
            EXPECT_EQ(key, "kept");
        }
    }
}

TEST(CsvStringBasedMetadataDatabase, MismatchNamesKindManufacturerAndContainerAsPassed)
{
    std::string key;
    try
    {
        database().keyForKind(MetadataKind::ClipFileName, "sony", "mxf", key);
        FAIL() << "no exception";
    }
    catch (const CameraManufacturerContainerFormatMismatchException& exception)
    {
        EXPECT_EQ(exception.detailedDescription(),
            "Camera manufacturer and container format could not be found in the recording format "
            "database.\n"
            "Metadata Kind: \"ClipFileName\"\nCamera Manufacturer: \"sony\"\n"
            "Container Format: \"mxf\"\n");
    }
}

// A row whose keys another row repeats would be overwritten and answer with the other's key.
TEST(CsvStringBasedMetadataDatabase, EveryRowOfTheTableIsReachable)
{
    using MetadataDatabase::metadataKeysCsvStringArray;
    EXPECT_EQ(metadataKeysCsvStringArray.front(), "ClipFileName;RED;R3D;r3d/reel_id_full");
    for (const std::string_view row : metadataKeysCsvStringArray)
    {
        std::vector<std::string> fields;
        boost::algorithm::split(fields, row, boost::algorithm::is_any_of(";"));
        ASSERT_EQ(fields.size(), 4u) << row;
        ASSERT_TRUE(fields[0] == "ClipFileName" || fields[0] == "Timecode") << row;
        const MetadataKind kind
            = fields[0] == "Timecode" ? MetadataKind::Timecode : MetadataKind::ClipFileName;
        std::string key;
        database().keyForKind(kind, fields[1], fields[2], key);
        EXPECT_EQ(key, fields[3]) << row;
    }
}
