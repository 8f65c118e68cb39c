// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Exception/Exception.h"

namespace MetadataDatabase
{

class CameraManufacturerContainerFormatMismatchException : public Exception
{
public:
    CameraManufacturerContainerFormatMismatchException(
        std::string metadataKind, std::string cameraManufacturer, std::string containerFormat);
};

} // namespace MetadataDatabase
