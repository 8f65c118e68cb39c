// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

#include "Adobe/HostInterface.h"

/// The effect's arithmetic on host values. Hosts and project files may hand us any value, so
/// nothing here divides by zero or converts NaN, infinity or an out-of-range value to an integer.
namespace LensCorrectionDetail
{

/// Truncated toward zero and clamped to [0, 2^32 - 1]; NaN gives 0.
uint32_t truncatedUnsigned(double value);
/// Truncated toward zero and clamped to the range of A_long; NaN gives 0.
A_long truncatedLong(double value);

/// `size` x numerator / denominator, clamped to 32 bits; a factor that is zero or negative counts
/// as 1 (full resolution).
uint32_t downsampledSize(A_long size, PF_RationalScale scale);
/// The size at full resolution of `size` at the current one: `size` / (numerator / denominator),
/// in integers, so that a seventh of 1918 (274) gives 1918 again, not 1917; clamped, a zero factor
/// counts as 1.
uint32_t fullResolutionSize(A_long size, PF_RationalScale scale);

/// `current` / `step` truncated toward zero, as a frame number; a step of 0 gives frame 0.
uint32_t frameNumber(A_long currentTime, A_long timeStep);
/// `scale` / `step` in single precision; a step of 0 gives 0 (unknown rate).
float framesPerSecond(A_u_long timeScale, A_long timeStep);

/// The other side of a size kept in the proportion `otherSide` / `side`, rounded half away from
/// zero (both sides non-zero).
uint32_t proportionalSide(uint32_t value, uint32_t side, uint32_t otherSide);

} // namespace LensCorrectionDetail
