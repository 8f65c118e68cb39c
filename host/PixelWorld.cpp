// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/PixelWorld.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <vector>

#include "host/HostError.h"
#include "host/PixelWorldRegistry.h"

namespace Host
{

namespace
{

    const unsigned char guardByte = 0xA7;

    std::size_t pixelSize(bool deep) { return deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel8); }

} // namespace

PixelWorld::PixelWorld(A_long width, A_long height, bool deep, A_long rowPadding)
    : PixelWorld(
        width, height, deep, static_cast<A_long>(width * pixelSize(deep)) + rowPadding, false)
{
}

PixelWorld PixelWorld::withRowbytes(A_long width, A_long height, bool deep, A_long rowbytes)
{
    return PixelWorld(width, height, deep, rowbytes, true);
}

PixelWorld::PixelWorld(A_long width, A_long height, bool deep, A_long rowbytes, bool exactRowbytes)
    : state(std::make_unique<State>())
{
    if (width < 0 || height < 0 || rowbytes < 0
        || (!exactRowbytes
            && (static_cast<std::size_t>(rowbytes) < width * pixelSize(deep)
                || rowbytes % pixelSize(deep) != 0)))
    {
        throw HostError("PixelWorld: negative size, or rows shorter than the width or not on "
                        "whole pixels");
    }
    // At least one byte, so that every world has its own data pointer in the registry.
    state->bytes.assign(std::max<std::size_t>(1, std::size_t(rowbytes) * height), guardByte);
    state->world.world_flags = deep ? PF_WorldFlag_DEEP : 0;
    state->world.data = reinterpret_cast<PF_PixelPtr>(state->bytes.data());
    state->world.rowbytes = rowbytes;
    state->world.width = width;
    state->world.height = height;
    if (static_cast<std::size_t>(rowbytes) >= width * pixelSize(deep))
    {
        fill({ 0, 0, 0, 0 });
    }
    PixelWorldRegistry::add(state.get());
}

PixelWorld::~PixelWorld()
{
    if (state)
    {
        PixelWorldRegistry::remove(state.get());
    }
}

PixelWorld::PixelWorld(PixelWorld&&) noexcept = default;

PixelWorld& PixelWorld::operator=(PixelWorld&& other) noexcept
{
    if (this != &other)
    {
        if (state)
        {
            PixelWorldRegistry::remove(state.get());
        }
        state = std::move(other.state);
    }
    return *this;
}

PF_EffectWorld& PixelWorld::world() { return state->world; }
const PF_EffectWorld& PixelWorld::world() const { return state->world; }
A_long PixelWorld::width() const { return state->world.width; }
A_long PixelWorld::height() const { return state->world.height; }
A_long PixelWorld::rowbytes() const { return state->world.rowbytes; }
bool PixelWorld::deep() const { return state->world.world_flags & PF_WorldFlag_DEEP; }
A_u_short PixelWorld::channelMaximum() const { return deep() ? PF_MAX_CHAN16 : PF_MAX_CHAN8; }

std::array<A_u_short, 4> PixelWorld::pixel(A_long x, A_long y) const
{
    const unsigned char* address
        = state->bytes.data() + std::size_t(y) * rowbytes() + x * pixelSize(deep());
    if (deep())
    {
        PF_Pixel16 pixel;
        std::memcpy(&pixel, address, sizeof pixel);
        return { pixel.alpha, pixel.red, pixel.green, pixel.blue };
    }
    PF_Pixel8 pixel;
    std::memcpy(&pixel, address, sizeof pixel);
    return { pixel.alpha, pixel.red, pixel.green, pixel.blue };
}

void PixelWorld::setPixel(A_long x, A_long y, const std::array<A_u_short, 4>& argb)
{
    unsigned char* address
        = state->bytes.data() + std::size_t(y) * rowbytes() + x * pixelSize(deep());
    if (deep())
    {
        const PF_Pixel16 pixel { argb[0], argb[1], argb[2], argb[3] };
        std::memcpy(address, &pixel, sizeof pixel);
        return;
    }
    const PF_Pixel8 pixel { static_cast<A_u_char>(argb[0]), static_cast<A_u_char>(argb[1]),
        static_cast<A_u_char>(argb[2]), static_cast<A_u_char>(argb[3]) };
    std::memcpy(address, &pixel, sizeof pixel);
}

void PixelWorld::fill(const std::array<A_u_short, 4>& argb)
{
    for (A_long y = 0; y < height(); ++y)
    {
        for (A_long x = 0; x < width(); ++x)
        {
            setPixel(x, y, argb);
        }
    }
}

bool PixelWorld::paddingIntact() const
{
    const std::size_t rowLength = width() * pixelSize(deep());
    // A hostile world of rowbytes 0 has every row on top of the first.
    const std::size_t stride = rowbytes() > 0 ? std::size_t(rowbytes()) : 0;
    for (std::size_t offset = 0; offset < state->bytes.size(); ++offset)
    {
        const bool inPixels = stride == 0
            ? offset < rowLength
            : offset / stride < std::size_t(height()) && offset % stride < rowLength;
        if (!inPixels && state->bytes[offset] != guardByte)
        {
            return false;
        }
    }
    return true;
}

void PixelWorld::failPixelDataFrom(std::size_t request) { state->failFrom = request; }

} // namespace Host
