// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "MetadataDatabase/MetadataDatabaseExceptions.h"

#include "Exception/DetailLines.h"

namespace MetadataDatabase
{

CameraManufacturerContainerFormatMismatchException::
    CameraManufacturerContainerFormatMismatchException(
        std::string metadataKind, std::string cameraManufacturer, std::string containerFormat)
    : Exception("Camera manufacturer and container format could not be found in the recording "
                "format database.",
        ExceptionDetail::DetailLines()
            .quoted("Metadata Kind: ", metadataKind)
            .quoted("Camera Manufacturer: ", cameraManufacturer)
            .quoted("Container Format: ", containerFormat)
            .str())
{
}

} // namespace MetadataDatabase
