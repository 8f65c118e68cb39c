// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/PixelWorldRegistry.h"

#include <map>
#include <mutex>

namespace Host
{

namespace
{

    std::mutex registryMutex;

    std::map<const void*, PixelWorld::State*>& registry()
    {
        static std::map<const void*, PixelWorld::State*> worlds;
        return worlds;
    }

} // namespace

namespace PixelWorldRegistry
{

    void add(PixelWorld::State* state)
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry()[state->bytes.data()] = state;
    }

    void remove(PixelWorld::State* state)
    {
        const std::lock_guard<std::mutex> lock(registryMutex);
        registry().erase(state->bytes.data());
    }

    PF_Err pixelData(const PF_EffectWorld* world, bool deep, void** result)
    {
        if (!result)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *result = nullptr;
        if (!world)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        const std::lock_guard<std::mutex> lock(registryMutex);
        const auto found = registry().find(world->data);
        if (found == registry().end())
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        PixelWorld::State& state = *found->second;
        const std::size_t request = state.requests++;
        const bool worldDeep = state.world.world_flags & PF_WorldFlag_DEEP;
        if (request >= state.failFrom || worldDeep != deep)
        {
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        *result = state.bytes.data();
        return PF_Err_NONE;
    }

} // namespace PixelWorldRegistry

} // namespace Host
