// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <algorithm>
#include <utility>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/lexical_cast.hpp>
#include <gtest/gtest.h>

#include "RecordingFormatDatabase/CsvStringBasedRecordingFormatDatabase.h"
#include "RecordingFormatDatabase/RecordingFormatDatabaseExceptions.h"
#include "RecordingFormatDatabase/RecordingFormatsCsvStringArray.h"
#include "Support/ConcurrentFirstCalls.h"
#include "Support/GlobalLocale.h"

using RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase;
using RecordingFormatDatabase::RecordingFormat;
using RecordingFormatDatabase::recordingFormatsCsvStringArray;
using FormatMap = std::map<std::string, RecordingFormat>;
using Names = std::vector<std::string>;

namespace
{

const CsvStringBasedRecordingFormatDatabase& database()
{
    return CsvStringBasedRecordingFormatDatabase::sharedInstance();
}

struct PairShape
{
    const char* manufacturer;
    const char* model;
    std::size_t rowCount;
};

// Every manufacturer and model pair in table order, with its number of rows.
const PairShape pairShapes[] = {
    { "ARRI", "AMIRA", 5 },
    { "ARRI", "ALEXA Classic", 3 },
    { "ARRI", "ALEXA XT", 8 },
    { "ARRI", "ALEXA SXT", 12 },
    { "ARRI", "ALEXA Mini", 9 },
    { "ARRI", "ALEXA 65", 3 },
    { "ARRI", "ALEXA LF", 5 },
    { "BlackMagic", "BlackMagic URSA Mini 4.6K", 8 },
    { "RED", "WEAPON 8K VV", 108 },
    { "RED", "WEAPON 8K S35 HELIUM", 108 },
    { "RED", "EPIC-W HELIUM", 108 },
    { "RED", "WEAPON 6K DRAGON MC", 76 },
    { "RED", "WEAPON 6K DRAGON CF", 76 },
    { "RED", "EPIC 6K DRAGON", 76 },
    { "RED", "SCARLET-W 5K DRAGON", 62 },
    { "RED", "SCARLET 5K DRAGON", 27 },
    { "RED", "RAVEN 4.5K DRAGON", 25 },
    { "RED", "EPIC MYSTERIUM-X 5K", 16 },
    { "RED", "SCARLET-X MYSTERIUM-X 5K", 16 },
    { "RED", "EPIC-X MONOCHROME", 16 },
    { "RED", "EPIC-X", 16 },
    { "RED", "SCARLET-X", 16 },
    { "RED", "EPIC-M DRAGON MONOCHROME", 76 },
    { "RED", "EPIC-M DRAGON", 76 },
    { "RED", "EPIC-X DRAGON MONOCHROME", 76 },
    { "RED", "EPIC-X DRAGON", 76 },
    { "RED", "SCARLET-X DRAGON", 27 },
    { "RED", "DSMC2 DRAGON 6K S35 (CF)", 76 },
    { "RED", "DSMC2 DRAGON 6K S35 MONOCHROME (CF)", 76 },
    { "RED", "DSMC2 DRAGON 8K VV", 108 },
    { "RED", "DSMC2 HELIUM 8K S35", 109 },
    { "RED", "DSMC2 HELIUM 8K S35 MONOCHROME", 109 },
    { "RED", "DSMC2 GEMINI 5K S35", 62 },
    { "RED", "DSMC2 MONSTRO 8K VV", 109 },
    { "RED", "DSMC2 MONSTRO 8K VV MONOCHROME", 109 },
    { "RED", "DSMC2 DRAGON 6K S35 MONOCHROME (Mg)", 76 },
    { "RED", "DSMC2 DRAGON 6K S35 (Mg)", 76 },
    { "RED", "RED RAVEN 4.5K", 25 },
    { "RED", "SCARLET-W 5K MONOCHROME", 62 },
    { "RED", "SCARLET-W 5K", 62 },
    { "RED", "RED EPIC-W 8K S35", 109 },
    { "RED", "RED EPIC-W 8K S35 MONOCHROME", 109 },
    { "RED", "RED EPIC-W 5K S35", 62 },
    { "Panavision", "Panavision DXL", 37 },
    { "Sony", "MPC-3610", 12 },
};

Names fieldsOf(std::string_view row)
{
    Names fields;
    boost::algorithm::split(fields, row, boost::algorithm::is_any_of(";"));
    return fields;
}

// The detailed description of the Exception that `call` throws, or a marker when it throws none.
template <typename ExpectedException, typename Call> std::string failureOf(Call call)
{
    try
    {
        call();
    }
    catch (const ExpectedException& exception)
    {
        return exception.detailedDescription();
    }
    return "(no exception of the expected class)";
}

} // namespace

// First in this file, so that in a whole-suite run these really are the first calls.
TEST(CsvStringBasedRecordingFormatDatabase, ConcurrentFirstCallsShareOneInstance)
{
    const auto instances = TestSupport::resultsOfConcurrentCalls(
        8, [] { return &CsvStringBasedRecordingFormatDatabase::sharedInstance(); });
    for (const auto* instance : instances)
    {
        EXPECT_EQ(instance, instances.front());
    }
    Names manufacturers;
    instances.front()->cameraManufacturers(manufacturers);
    EXPECT_EQ(manufacturers.size(), 5u);
}

TEST(CsvStringBasedRecordingFormatDatabase, TableHasTheFixedPairsInOrderWithTheirRowCounts)
{
    std::vector<std::pair<std::string, std::string>> pairRuns;
    std::vector<std::size_t> runLengths;
    for (const std::string_view row : recordingFormatsCsvStringArray)
    {
        const Names fields = fieldsOf(row);
        ASSERT_EQ(fields.size(), 8u) << row;
        auto pair = std::make_pair(fields[0], fields[1]);
        if (pairRuns.empty() || pairRuns.back() != pair)
        {
            pairRuns.push_back(std::move(pair));
            runLengths.push_back(0);
        }
        ++runLengths.back();
    }
    ASSERT_EQ(pairRuns.size(), std::size(pairShapes));
    for (std::size_t index = 0; index < pairRuns.size(); ++index)
    {
        const PairShape& expected = pairShapes[index];
        EXPECT_EQ(pairRuns[index].first, expected.manufacturer);
        EXPECT_EQ(pairRuns[index].second, expected.model);
        EXPECT_EQ(runLengths[index], expected.rowCount) << expected.model;
    }
}

// Each row must reach the database under its own key and with its own numbers: a duplicate key
// would overwrite a row and shrink the count, a misparsed number would show here.
TEST(CsvStringBasedRecordingFormatDatabase, EveryRowLoadsUnderAUniqueKey)
{
    std::size_t formatCount = 0;
    for (const PairShape& pair : pairShapes)
    {
        FormatMap formats;
        database().recordingFormats(pair.manufacturer, pair.model, formats);
        EXPECT_EQ(formats.size(), pair.rowCount) << pair.model;
        formatCount += formats.size();
    }
    EXPECT_EQ(formatCount, recordingFormatsCsvStringArray.size());

    for (const std::string_view row : recordingFormatsCsvStringArray)
    {
        const Names fields = fieldsOf(row);
        FormatMap formats;
        database().recordingFormats(fields[0], fields[1], formats);
        ASSERT_EQ(formats.count(fields[3]), 1u) << row;
        const RecordingFormat& format = formats[fields[3]];
        EXPECT_EQ(format.imageAreaWidth, boost::lexical_cast<float>(fields[4])) << row;
        EXPECT_EQ(format.imageAreaHeight, boost::lexical_cast<float>(fields[5])) << row;
        EXPECT_EQ(format.clipResolutionWidth, boost::lexical_cast<uint32_t>(fields[6])) << row;
        EXPECT_EQ(format.clipResolutionHeight, boost::lexical_cast<uint32_t>(fields[7])) << row;
        EXPECT_GT(format.imageAreaWidth, 0.0f) << row;
        EXPECT_GT(format.imageAreaHeight, 0.0f) << row;
        EXPECT_GT(format.imageAreaRadius, format.imageAreaWidth / 2.0f) << row;
    }
}

TEST(CsvStringBasedRecordingFormatDatabase, TableHoldsTheKnownRowsByteForByte)
{
    const std::string_view knownRows[] = {
        "ARRI;AMIRA;ALEV III;16:9 S16 HD;13.2;7.43;1920;1080",
        "ARRI;ALEXA XT;ALEV III;RAW 6:5 2.6K;21.27;17.82;2578;2160",
        "ARRI;ALEXA LF;A2X;LF Open Gate 4.5K;36.7;25.54;4448;3096",
        "BlackMagic;BlackMagic URSA Mini 4.6K;;4.6k (16:9);25.34;14.25;4608;2592",
        "RED;WEAPON 8K VV;VV Dragon;8K FF;40.96;21.6;8192;4320",
        "RED;WEAPON 6K DRAGON MC;DRAGON 6K S35;3,5K FF;17.92;9.38;3584;1876",
        "Panavision;Panavision DXL;MONSTRO 8K VV;8K (1.9:1);40.96;21.6;8192;4320",
        "Sony;MPC-3610;Full-Frame CMOS;6K 2.39:1;35.90;15;6048;2534",
    };
    EXPECT_EQ(recordingFormatsCsvStringArray.front(), knownRows[0]);
    for (const std::string_view row : knownRows)
    {
        EXPECT_NE(std::find(recordingFormatsCsvStringArray.begin(),
                      recordingFormatsCsvStringArray.end(), row),
            recordingFormatsCsvStringArray.end())
            << row;
    }
}

TEST(CsvStringBasedRecordingFormatDatabase, ManufacturersAndModelsMatchInAnyLetterCase)
{
    Names manufacturers;
    database().cameraManufacturers(manufacturers);
    EXPECT_EQ(manufacturers, (Names { "ARRI", "BlackMagic", "Panavision", "RED", "Sony" }));

    Names models;
    database().cameraModels("arri", models);
    EXPECT_EQ(models,
        (Names { "ALEXA 65", "ALEXA Classic", "ALEXA LF", "ALEXA Mini", "ALEXA SXT", "ALEXA XT",
            "AMIRA" }));

    FormatMap formats;
    database().recordingFormats("red", "weapon 8k vv", formats);
    EXPECT_EQ(formats.size(), 108u);
    // Format names are case-sensitive keys.
    EXPECT_EQ(formats.count("8K FF"), 1u);
    EXPECT_EQ(formats.count("8k ff"), 0u);
}

TEST(CsvStringBasedRecordingFormatDatabase, RecordHoldsSizesResolutionAndRadius)
{
    FormatMap formats;
    database().recordingFormats("ARRI", "AMIRA", formats);
    const RecordingFormat& hd = formats.at("16:9 HD");
    EXPECT_EQ(hd.imageAreaWidth, 23.76f);
    EXPECT_EQ(hd.imageAreaHeight, 13.37f);
    EXPECT_EQ(hd.clipResolutionWidth, 1920u);
    EXPECT_EQ(hd.clipResolutionHeight, 1080u);
    EXPECT_NEAR(hd.imageAreaRadius, 13.6317f, 1e-4f);

    // Squares and root in single precision would give 0x1.db3332p+3 here.
    database().recordingFormats("ARRI", "ALEXA XT", formats);
    EXPECT_EQ(formats.at("RAW 4:3 2.8K").imageAreaRadius, 0x1.db3334p+3f);
}

TEST(CsvStringBasedRecordingFormatDatabase, IlessFoldsAsciiLettersAndComparesUnsignedBytes)
{
    const struct
    {
        const char* lhs;
        const char* rhs;
        bool less;
    } cases[] = {
        { "alexa", "AMIRA", true }, { "AMIRA", "alexa", false }, { "Sony", "SONY", false },
        { "SONY", "Sony", false }, { "RED", "red raven", true }, { "red raven", "RED", false },
        { "", "a", true },
        { "_", "a", true }, // folding to upper case would put '_' after the letters
        { "z", "\xe9", true }, // bytes above 127 compare as unsigned
        { "\xc9", "\xe9", true }, // and are not folded
    };
    const CsvStringBasedRecordingFormatDatabase::iless iless;
    for (const auto& entry : cases)
    {
        EXPECT_EQ(iless(entry.lhs, entry.rhs), entry.less) << entry.lhs << " < " << entry.rhs;
    }
}

TEST(CsvStringBasedRecordingFormatDatabase, NamesKeepTheFirstSpellingAndLaterRowsOverwrite)
{
    const std::string_view rows[] = {
        "Maker;Model A;;F1;10;5;100;50",
        "MAKER;model a;Sensor;F1;20;10;200;100",
        "maker;Model B;;f1;1;1;1;1",
    };
    const CsvStringBasedRecordingFormatDatabase maker(rows, std::size(rows));
    Names names;
    maker.cameraManufacturers(names);
    EXPECT_EQ(names, Names { "Maker" });
    maker.cameraModels("MaKeR", names);
    EXPECT_EQ(names, (Names { "Model A", "Model B" }));
    FormatMap formats;
    maker.recordingFormats("maker", "MODEL A", formats);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats["F1"].imageAreaWidth, 20.0f);
    EXPECT_EQ(formats["F1"].clipResolutionWidth, 200u);
}

TEST(CsvStringBasedRecordingFormatDatabase, UnknownNamesThrowAndLeaveResultsUntouched)
{
    using RecordingFormatDatabase::CameraManufacturerModelMismatchException;
    using RecordingFormatDatabase::CameraManufacturerNotFoundException;
    const std::string notFound
        = "Camera manufacturer could not be found in the recording format database.\n"
          "Camera Manufacturer: \"Canon\"\n";
    Names models { "kept" };
    FormatMap formats { { "kept", RecordingFormat {} } };

    EXPECT_EQ(failureOf<CameraManufacturerNotFoundException>(
                  [&] { database().cameraModels("Canon", models); }),
        notFound);
    EXPECT_EQ(failureOf<CameraManufacturerNotFoundException>(
                  [&] { database().recordingFormats("Canon", "AMIRA", formats); }),
        notFound);
    EXPECT_EQ(failureOf<CameraManufacturerModelMismatchException>(
                  [&] { database().recordingFormats("arri", "WEAPON 8K VV", formats); }),
        "Camera manufacturer and model could not be found in the recording format database.\n"
        "Camera Manufacturer: \"arri\"\nCamera Model: \"WEAPON 8K VV\"\n");

    EXPECT_EQ(models, Names { "kept" });
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats.count("kept"), 1u);
}

// Hosts may switch the global locale to one with a decimal comma before the first lookup.
TEST(CsvStringBasedRecordingFormatDatabase, ReadsDecimalPointsUnderADecimalCommaLocale)
{
    const TestSupport::GlobalLocale decimalComma('.', ',');
    const CsvStringBasedRecordingFormatDatabase built(
        recordingFormatsCsvStringArray.data(), recordingFormatsCsvStringArray.size());
    FormatMap formats;
    built.recordingFormats("ARRI", "AMIRA", formats);
    EXPECT_EQ(formats.at("16:9 HD").imageAreaWidth, 23.76f);
    EXPECT_EQ(formats.at("16:9 HD").imageAreaHeight, 13.37f);
    EXPECT_EQ(formats.at("16:9 HD").clipResolutionWidth, 1920u);
}
