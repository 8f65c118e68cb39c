// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "CorrectionData/Frame.h"
#include "CorrectionData/Header.h"

namespace CorrectionData
{

/// Reads the lens data of one frame given as JSON text: the recording format (camera, clip
/// resolution, image radius in mm) and the shading and radial distortion values at the six
/// interpolation radii. Stateless and safe to call from several threads.
class JsonParser
{
public:
    /// Fills the header (camera, clip size, sensor width derived from the image radius) and the
    /// frame. Throws Exception "JSON metadata string has an invalid format." on any failure and
    /// leaves both outputs untouched then.
    static void parse(const std::string& jsonString, Header& header, Frame& frame);
};

} // namespace CorrectionData
