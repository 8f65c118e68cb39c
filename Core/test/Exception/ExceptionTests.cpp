// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include "CorrectionData/CorrectionDataExceptions.h"
#include "CorrectionFile/CorrectionFileExceptions.h"
#include "Exception/Exception.h"
#include "MetadataDatabase/MetadataDatabaseExceptions.h"
#include "RecordingFormatDatabase/RecordingFormatDatabaseExceptions.h"
#include "Renderer/RendererExceptions.h"

TEST(Exception, DetailedDescriptionEndsWithOneLineFeed)
{
    EXPECT_EQ(Exception("Brief.").detailedDescription(), "Brief.\n");
    EXPECT_EQ(Exception("Brief.", "A: 1\nB: 2").detailedDescription(), "Brief.\nA: 1\nB: 2\n");
    EXPECT_STREQ(Exception("Brief.", "A: 1").what(), "Brief.");
}

TEST(Exception, CorrectionFileTexts)
{
    EXPECT_EQ(CorrectionFile::NotReadableException("/a/\"b\".tlcf").detailedDescription(),
        "Correction file could not be read.\nFile Path: \"/a/\"b\".tlcf\"\n");
    EXPECT_EQ(CorrectionFile::InvalidFormatException("Header start could not be found.")
                  .detailedDescription(),
        "Correction file could not be parsed due to an invalid format.\n"
        "Reason: Header start could not be found.\n");
    EXPECT_EQ(CorrectionFile::InvalidFormatException(12, "1;2").detailedDescription(),
        "Correction file could not be parsed due to an invalid format.\n"
        "Line Number: 12\nLine Content: \"1;2\"\n");
}

TEST(Exception, NotFoundListsSearchedDirectoriesWithoutTrailingLineFeed)
{
    EXPECT_EQ(CorrectionFile::NotFoundException("/c/A.mov", {}).detailedDescription(),
        "Correction file could not be found.\nClip File Path: \"/c/A.mov\"\n"
        "Searched Directory Paths:\n");
    EXPECT_EQ(CorrectionFile::NotFoundException("/c/A.mov", { "/c", "/" }).detailedDescription(),
        "Correction file could not be found.\nClip File Path: \"/c/A.mov\"\n"
        "Searched Directory Paths:\n\t\"/c\"\n\t\"/\"\n");
}

TEST(Exception, DataNotAvailableAppendsNonEmptyReason)
{
    CorrectionData::DataNotAvailableException bare("/c/A.mov", "");
    EXPECT_STREQ(bare.what(), "Header of the metadata is not available.");
    CorrectionData::DataNotAvailableException withReason(
        "/c/A.mov", "Correction file could not be found.");
    EXPECT_EQ(withReason.detailedDescription(),
        "Header of the metadata is not available. Correction file could not be found.\n"
        "Clip File Path: \"/c/A.mov\"\n");
    EXPECT_EQ(CorrectionData::DataNotAvailableException("A.mov", "/c/A.tlcf", 42u, "")
                  .detailedDescription(),
        "Metadata for the frame is not available.\nClip File Name: \"A.mov\"\n"
        "Correction File Path: \"/c/A.tlcf\"\nFrame Number: 42\n");
    EXPECT_EQ(CorrectionData::DataNotAvailableException(std::string("{}")).detailedDescription(),
        "Metadata for the frame is not available.\nJSON String: \"{}\"\n");
}

TEST(Exception, DataNotAvailableWithTimecode)
{
    const Timecode::Timecode timecode("10:00:00:12", 25.0f);
    EXPECT_EQ(
        CorrectionData::DataNotAvailableException("/c/A.mov", timecode, "").detailedDescription(),
        "Metadata for the frame is not available.\nClip File Path: \"/c/A.mov\"\n"
        "Timecode: \"10:00:00:12\"\n");
}

TEST(Exception, OtherFixedTexts)
{
    EXPECT_EQ(CorrectionData::FileMismatchException("a001.mov", "/c/A.tlcf", "A001.mov")
                  .detailedDescription(),
        "Correction file does not belong to the clip.\nClip File Name: \"a001.mov\"\n"
        "Correction File Path: \"/c/A.tlcf\"\nClip File Name in Correction File: \"A001.mov\"\n");
    const float y[6] = { 0.0f, 5.0f, 23.976f, 29.97f, 100.0f, -1.5f };
    EXPECT_EQ(CorrectionData::CoefficentCalculationFailedException(y).detailedDescription(),
        "Calculation of the polynomial coefficients did fail.\nInput Y: 0 5 23.976 29.97 100 "
        "-1.5\n");
    EXPECT_EQ(RecordingFormatDatabase::CameraManufacturerModelMismatchException("ARRI", "X")
                  .detailedDescription(),
        "Camera manufacturer and model could not be found in the recording format database.\n"
        "Camera Manufacturer: \"ARRI\"\nCamera Model: \"X\"\n");
    EXPECT_EQ(
        RecordingFormatDatabase::CameraManufacturerNotFoundException("Y").detailedDescription(),
        "Camera manufacturer could not be found in the recording format database.\n"
        "Camera Manufacturer: \"Y\"\n");
    EXPECT_EQ(MetadataDatabase::CameraManufacturerContainerFormatMismatchException("Clip", "M", "C")
                  .detailedDescription(),
        "Camera manufacturer and container format could not be found in the recording format "
        "database.\nMetadata Kind: \"Clip\"\nCamera Manufacturer: \"M\"\nContainer Format: "
        "\"C\"\n");
}
