// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "AePlugin/AeInterface.h"

/// Moves a render's pixels between the host's 8- or 16-bit ARGB worlds and the library's float
/// RGBA buffers (rows without gaps, the output world's width and height). Transfers are split
/// by rows over one worker thread per hardware thread, started per transfer.
///
/// A transfer that cannot be completed (the host cannot supply a row's address, a worker cannot
/// be started, a world whose rows are shorter than its width, a buffer smaller than the output
/// world) throws an AeErrorPair after every started worker has been joined.
class AeFrame
{
public:
    explicit AeFrame(std::shared_ptr<AeInterface> ae);

    /// Copies the input layer (params[0]) into `buffer`, centred in the output world's size.
    /// Elements outside the copied area are not touched. An output world smaller than the
    /// input receives the centred part of it.
    void readInputData(float* buffer, std::size_t bufferSize) const;
    /// Copies `buffer` into the output world. Channels are clamped to [0, 1] (NaN as 0) and
    /// scaled to 255 or 32768, truncated.
    void writeOutputData(const float* buffer, std::size_t bufferSize) const;
    /// Fills the whole output world with one colour (red, green, blue, alpha), on this thread.
    void writeOutputData(const std::array<float, 4>& colour) const;

private:
    enum class Direction
    {
        read,
        write
    };

    void iterate(Direction direction, float* buffer, std::size_t bufferSize) const;
    void write8BitOutputData(const std::array<float, 4>& colour) const;
    void write16BitOutputData(const std::array<float, 4>& colour) const;

    std::shared_ptr<AeInterface> ae;
};
