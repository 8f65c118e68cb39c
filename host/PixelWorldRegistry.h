// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <atomic>
#include <cstddef>
#include <limits>
#include <vector>

#include "host/PixelWorld.h"

namespace Host
{

struct PixelWorld::State
{
    PF_EffectWorld world {};
    std::vector<unsigned char> bytes;
    std::atomic<std::size_t> requests { 0 };
    std::atomic<std::size_t> failFrom { std::numeric_limits<std::size_t>::max() };
};

/// Every live world by its data pointer, for the pixel-data callbacks, which plug-ins call from
/// their worker threads with a copy of the world record.
namespace PixelWorldRegistry
{
    void add(PixelWorld::State* state);
    void remove(PixelWorld::State* state);
    /// The address of the first pixel, or an error for an unknown world, a depth other than
    /// asked for, or a world told to fail.
    PF_Err pixelData(const PF_EffectWorld* world, bool deep, void** result);
} // namespace PixelWorldRegistry

} // namespace Host
