// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostMemory.h"

namespace Host
{

struct HostMemory::Block
{
    void* data = nullptr;
    std::vector<unsigned char> bytes;
    int locks = 0;
};

HostMemory::HostMemory() = default;

HostMemory::~HostMemory() = default;

PF_Handle HostMemory::allocate(const std::vector<unsigned char>& bytes)
{
    auto block = std::make_unique<Block>();
    block->bytes = bytes;
    block->data = block->bytes.data();
    const PF_Handle handle = &block->data;
    blocks[handle] = std::move(block);
    return handle;
}

void* HostMemory::lock(PF_Handle handle)
{
    const auto found = blocks.find(handle);
    if (found == blocks.end())
    {
        return nullptr;
    }
    ++found->second->locks;
    return found->second->data;
}

bool HostMemory::unlock(PF_Handle handle)
{
    const auto found = blocks.find(handle);
    if (found == blocks.end() || found->second->locks == 0)
    {
        return false;
    }
    --found->second->locks;
    return true;
}

bool HostMemory::dispose(PF_Handle handle)
{
    if (handle == sequence)
    {
        sequence = nullptr;
    }
    return blocks.erase(handle) > 0;
}

const std::vector<unsigned char>* HostMemory::bytes(PF_Handle handle) const
{
    const auto found = blocks.find(handle);
    return found == blocks.end() ? nullptr : &found->second->bytes;
}

std::size_t HostMemory::liveHandles() const { return blocks.size(); }

} // namespace Host
