// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <string>

#include "Exception/Exception.h"
#include "Timecode/Timecode.h"

namespace CorrectionData
{

/// Header or frame data of a clip could not be obtained. A non-empty reason is appended to the
/// brief description after one blank.
class DataNotAvailableException : public Exception
{
public:
    // Clip-path forms.
    DataNotAvailableException(const std::string& clipFilePath, const std::string& reason);
    DataNotAvailableException(
        const std::string& clipFilePath, uint32_t frameNumber, const std::string& reason);
    DataNotAvailableException(
        const std::string& clipFilePath, Timecode::Timecode timecode, const std::string& reason);

    // Correction-file forms.
    DataNotAvailableException(const std::string& clipFileName,
        const std::string& correctionFilePath, const std::string& reason);
    DataNotAvailableException(const std::string& clipFileName,
        const std::string& correctionFilePath, uint32_t frameNumber, const std::string& reason);
    DataNotAvailableException(const std::string& clipFileName,
        const std::string& correctionFilePath, Timecode::Timecode timecode,
        const std::string& reason);

    // JSON form; no reason.
    explicit DataNotAvailableException(const std::string& jsonString);
};

class FileMismatchException : public Exception
{
public:
    FileMismatchException(const std::string& clipFileName, const std::string& correctionFilePath,
        const std::string& clipFileNameInCorrectionFile);

private:
    [[maybe_unused]] std::string clipFileName;
    [[maybe_unused]] std::string correctionFilePath;
    [[maybe_unused]] std::string clipFileNameInCorrectionFile;
};

class CoefficentCalculationFailedException : public Exception
{
public:
    /// inputY points to Calculations::matrixSize values.
    explicit CoefficentCalculationFailedException(const float* inputY);
};

} // namespace CorrectionData
