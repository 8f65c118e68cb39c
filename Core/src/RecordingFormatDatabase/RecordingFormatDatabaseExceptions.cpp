// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "RecordingFormatDatabase/RecordingFormatDatabaseExceptions.h"

#include "Exception/DetailLines.h"

namespace RecordingFormatDatabase
{

CameraManufacturerNotFoundException::CameraManufacturerNotFoundException(
    std::string cameraManufacturer)
    : Exception("Camera manufacturer could not be found in the recording format database.",
        ExceptionDetail::DetailLines().quoted("Camera Manufacturer: ", cameraManufacturer).str())
{
}

CameraManufacturerModelMismatchException::CameraManufacturerModelMismatchException(
    std::string cameraManufacturer, std::string cameraModel)
    : Exception(
        "Camera manufacturer and model could not be found in the recording format database.",
        ExceptionDetail::DetailLines()
            .quoted("Camera Manufacturer: ", cameraManufacturer)
            .quoted("Camera Model: ", cameraModel)
            .str())
{
}

} // namespace RecordingFormatDatabase
