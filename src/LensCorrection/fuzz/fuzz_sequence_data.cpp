// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// The stored block as a damaged project hands it back: any 4108 bytes. Reading it must stay
// inside the block and give a path without zero bytes that fits the field; storing that path
// again must give it back and change nothing outside the path's bytes and its zero.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "LensCorrection/SequenceData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < SequenceData::size)
    {
        return -1;
    }
    // Exactly the block's size on the heap, so that any byte read past it is a report.
    std::vector<unsigned char> bytes(data, data + SequenceData::size);
    SequenceData block(bytes.data());
    const std::string path = block.correctionFilePath();
    if (path.size() >= SequenceData::correctionFilePathCapacity
        || path.find('\0') != std::string::npos)
    {
        std::abort();
    }
    const uint32_t width = block.fullResolutionWidth();
    const uint32_t height = block.fullResolutionHeight();
    const bool pending = block.recordingFormatUpdatePending();

    const std::vector<unsigned char> before = bytes;
    block.setCorrectionFilePath(path);
    const size_t written = SequenceData::correctionFilePathOffset + path.size() + 1;
    if (block.correctionFilePath() != path
        || std::memcmp(bytes.data() + written, before.data() + written, bytes.size() - written) != 0
        || std::memcmp(bytes.data(), before.data(), SequenceData::correctionFilePathOffset) != 0
        || block.fullResolutionWidth() != width || block.fullResolutionHeight() != height
        || block.recordingFormatUpdatePending() != pending)
    {
        std::abort();
    }
    return 0;
}
