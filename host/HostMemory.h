// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <vector>

#include "Adobe/HostInterface.h"

namespace Host
{

/// The blocks the host hands out as PF_Handle ("PF Handle Suite"), one of which may be the
/// effect instance's sequence data. A handle points at the block's data pointer, which points
/// into its bytes; handles the host does not know are refused, never dereferenced.
class HostMemory
{
public:
    HostMemory();
    ~HostMemory();

    PF_Handle allocate(const std::vector<unsigned char>& bytes);
    /// The block's data, or null for an unknown handle.
    void* lock(PF_Handle handle);
    /// False for an unknown handle or one that is not locked.
    bool unlock(PF_Handle handle);
    /// False for an unknown handle. Disposing of the sequence data forgets it.
    bool dispose(PF_Handle handle);
    /// The block's bytes, or null for an unknown handle.
    const std::vector<unsigned char>* bytes(PF_Handle handle) const;
    /// Blocks not disposed of (the sequence data included).
    std::size_t liveHandles() const;

    /// The instance's sequence data; null when it has none.
    PF_Handle sequenceData() const { return sequence; }
    void setSequenceData(PF_Handle handle) { sequence = handle; }

private:
    struct Block;

    std::map<PF_Handle, std::unique_ptr<Block>> blocks;
    PF_Handle sequence = nullptr;
};

} // namespace Host
