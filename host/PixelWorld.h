// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstddef>
#include <memory>

#include "Adobe/HostInterface.h"

namespace Host
{

/// A host-owned pixel world: 8-bit (PF_Pixel8) or 16-bit (PF_Pixel16) channels in alpha, red,
/// green, blue order, rows `rowbytes` apart. The bytes after each row's pixels (the padding) are
/// filled with a guard pattern, so a test can tell whether a plug-in wrote outside the pixels.
///
/// Plug-ins reach the pixels through the host's get_pixel_data8/16 callbacks, which find the
/// world by its data pointer; a world can be told to fail those calls. Movable, not copyable;
/// the pixels stay where they are when the object moves.
class PixelWorld
{
public:
    /// `rowPadding` extra bytes after each row, a multiple of the pixel size (4 or 8 bytes), as
    /// hosts keep every row on whole pixels.
    PixelWorld(A_long width, A_long height, bool deep, A_long rowPadding = 0);
    /// A world with exactly the given `rowbytes`, also one smaller than a row or not a multiple
    /// of the pixel size (a hostile host); the block holds `height` x `rowbytes` bytes.
    static PixelWorld withRowbytes(A_long width, A_long height, bool deep, A_long rowbytes);
    ~PixelWorld();
    PixelWorld(PixelWorld&&) noexcept;
    PixelWorld& operator=(PixelWorld&&) noexcept;

    /// The record handed to plug-ins (parameter 0's `u.ld`, or the output world).
    PF_EffectWorld& world();
    const PF_EffectWorld& world() const;

    A_long width() const;
    A_long height() const;
    A_long rowbytes() const;
    bool deep() const;
    /// The channel maximum: 255 or 32768.
    A_u_short channelMaximum() const;

    /// Pixel (x, y) as alpha, red, green, blue values.
    std::array<A_u_short, 4> pixel(A_long x, A_long y) const;
    void setPixel(A_long x, A_long y, const std::array<A_u_short, 4>& alphaRedGreenBlue);
    /// Every pixel the same.
    void fill(const std::array<A_u_short, 4>& alphaRedGreenBlue);
    /// False when any byte outside the pixels of the rows (padding, the block's tail) changed.
    bool paddingIntact() const;

    /// The pixel-data callbacks fail from the `request`-th call on (counted from 0, over all
    /// threads); a huge value (the default) never fails.
    void failPixelDataFrom(std::size_t request);

    struct State;

private:
    PixelWorld(A_long width, A_long height, bool deep, A_long rowbytes, bool exactRowbytes);

    std::unique_ptr<State> state;
};

} // namespace Host
