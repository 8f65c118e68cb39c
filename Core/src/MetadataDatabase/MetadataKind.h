// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace MetadataDatabase
{

/// What a host metadata key holds. The metadata key table names the kinds "ClipFileName" and
/// "Timecode".
enum class MetadataKind
{
    ClipFileName = 0, ///< The camera's clip file name.
    Timecode = 1, ///< The clip's start timecode.
};

} // namespace MetadataDatabase
