// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>

#include "RecordingFormatDatabase/RecordingFormat.h"

/// Rules by which a caller turns what its user typed into the facts the library asks for. The
/// effect and the command-line tool both use them, so that the same entries give the same
/// numbers in both.
namespace Core
{

/// How far the full frame `fullWidth` x `fullHeight` reaches beyond the picture `width` x
/// `height`, in percent of the picture's half-diagonal (FrameData::overscan); both half-diagonals
/// are measured between the centres of the corner pixels, in single precision. 0 when `width` or
/// `height` is 0 (no overscan). None when the picture is a single pixel: it has no half-diagonal
/// to measure against.
std::optional<float> overscanPercent(
    uint32_t fullWidth, uint32_t fullHeight, uint32_t width, uint32_t height);

/// The image diameter of an image area of `width` x `height` mm recorded at `pixelWidth` x
/// `pixelHeight` px: the area's diagonal, where a missing width or height follows from the
/// clip's aspect ratio (in single precision; the diagonal in double). 0 when the area stays
/// incomplete.
float imageDiameter(float width, float height, uint32_t pixelWidth, uint32_t pixelHeight);

/// A recording format entered by hand. The typed sides are kept as typed (a side derived for the
/// diameter is not stored); the radius is half of `diameter`, or of imageDiameter() without one.
RecordingFormatDatabase::RecordingFormat manualRecordingFormat(float imageAreaWidth,
    float imageAreaHeight, uint32_t clipResolutionWidth, uint32_t clipResolutionHeight,
    std::optional<float> diameter = std::nullopt);

} // namespace Core
