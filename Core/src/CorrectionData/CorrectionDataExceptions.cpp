// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/CorrectionDataExceptions.h"

#include <locale>
#include <sstream>

#include "Exception/DetailLines.h"

namespace CorrectionData
{

namespace
{
    const char* const headerNotAvailableBrief = "Header of the metadata is not available.";
    const char* const frameNotAvailableBrief = "Metadata for the frame is not available.";
    const char* const fileMismatchBrief = "Correction file does not belong to the clip.";
    const char* const coefficientCalculationBrief
        = "Calculation of the polynomial coefficients did fail.";

    // Mirrors Calculations::matrixSize; kept local so errors do not depend on the fit.
    constexpr int inputValueCount = 6;

    std::string withReason(const char* brief, const std::string& reason)
    {
        return reason.empty() ? std::string(brief) : std::string(brief) + " " + reason;
    }

    std::string clipPathDetails(const std::string& clipFilePath)
    {
        return ExceptionDetail::DetailLines().quoted("Clip File Path: ", clipFilePath).str();
    }

    ExceptionDetail::DetailLines correctionFileLines(
        const std::string& clipFileName, const std::string& correctionFilePath)
    {
        ExceptionDetail::DetailLines lines;
        lines.quoted("Clip File Name: ", clipFileName)
            .quoted("Correction File Path: ", correctionFilePath);
        return lines;
    }

    std::string inputYDetails(const float* inputY)
    {
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        stream << "Input Y:";
        for (int i = 0; i < inputValueCount; ++i)
        {
            stream << ' ' << inputY[i];
        }
        return stream.str();
    }
} // namespace

DataNotAvailableException::DataNotAvailableException(
    const std::string& clipFilePath, const std::string& reason)
    : Exception(withReason(headerNotAvailableBrief, reason), clipPathDetails(clipFilePath))
{
}

DataNotAvailableException::DataNotAvailableException(
    const std::string& clipFilePath, uint32_t frameNumber, const std::string& reason)
    : Exception(withReason(frameNotAvailableBrief, reason),
        ExceptionDetail::DetailLines()
            .quoted("Clip File Path: ", clipFilePath)
            .unquoted("Frame Number: ", frameNumber)
            .str())
{
}

DataNotAvailableException::DataNotAvailableException(
    const std::string& clipFilePath, Timecode::Timecode timecode, const std::string& reason)
    : Exception(withReason(frameNotAvailableBrief, reason),
        ExceptionDetail::DetailLines()
            .quoted("Clip File Path: ", clipFilePath)
            .quoted("Timecode: ", timecode.string(false))
            .str())
{
}

DataNotAvailableException::DataNotAvailableException(const std::string& clipFileName,
    const std::string& correctionFilePath, const std::string& reason)
    : Exception(withReason(headerNotAvailableBrief, reason),
        correctionFileLines(clipFileName, correctionFilePath).str())
{
}

DataNotAvailableException::DataNotAvailableException(const std::string& clipFileName,
    const std::string& correctionFilePath, uint32_t frameNumber, const std::string& reason)
    : Exception(withReason(frameNotAvailableBrief, reason),
        correctionFileLines(clipFileName, correctionFilePath)
            .unquoted("Frame Number: ", frameNumber)
            .str())
{
}

DataNotAvailableException::DataNotAvailableException(const std::string& clipFileName,
    const std::string& correctionFilePath, Timecode::Timecode timecode, const std::string& reason)
    : Exception(withReason(frameNotAvailableBrief, reason),
        correctionFileLines(clipFileName, correctionFilePath)
            .quoted("Timecode: ", timecode.string(false))
            .str())
{
}

DataNotAvailableException::DataNotAvailableException(const std::string& jsonString)
    : Exception(frameNotAvailableBrief,
        ExceptionDetail::DetailLines().quoted("JSON String: ", jsonString).str())
{
}

FileMismatchException::FileMismatchException(const std::string& clipFileName,
    const std::string& correctionFilePath, const std::string& clipFileNameInCorrectionFile)
    : Exception(fileMismatchBrief,
        correctionFileLines(clipFileName, correctionFilePath)
            .quoted("Clip File Name in Correction File: ", clipFileNameInCorrectionFile)
            .str())
    , clipFileName(clipFileName)
    , correctionFilePath(correctionFilePath)
    , clipFileNameInCorrectionFile(clipFileNameInCorrectionFile)
{
}

CoefficentCalculationFailedException::CoefficentCalculationFailedException(const float* inputY)
    : Exception(coefficientCalculationBrief, inputYDetails(inputY))
{
}

} // namespace CorrectionData
