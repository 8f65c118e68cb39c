// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Exception/Exception.h"

namespace RecordingFormatDatabase
{

class CameraManufacturerNotFoundException : public Exception
{
public:
    explicit CameraManufacturerNotFoundException(std::string cameraManufacturer);
};

class CameraManufacturerModelMismatchException : public Exception
{
public:
    CameraManufacturerModelMismatchException(
        std::string cameraManufacturer, std::string cameraModel);
};

} // namespace RecordingFormatDatabase
