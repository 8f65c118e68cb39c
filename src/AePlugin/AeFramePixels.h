// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Adobe/HostInterface.h"

/// The conversion of one row of pixels between the host's worlds and the library's buffers.
namespace AeFrameDetail
{

/// `count` host pixels (alpha, red, green, blue) to float red, green, blue, alpha: each channel
/// divided by 255 or 32768.
void readRow(const PF_Pixel8* source, float* destination, long count);
void readRow(const PF_Pixel16* source, float* destination, long count);

/// `count` float red, green, blue, alpha pixels to host pixels: each channel clamped to [0, 1]
/// (NaN as 0), scaled to 255 or 32768 and truncated.
void writeRow(const float* source, PF_Pixel8* destination, long count);
void writeRow(const float* source, PF_Pixel16* destination, long count);

} // namespace AeFrameDetail
