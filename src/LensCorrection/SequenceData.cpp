// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/SequenceData.h"

#include <cassert>
#include <cstring>

static_assert(SequenceData::correctionFilePathOffset + SequenceData::correctionFilePathCapacity
        == SequenceData::recordingFormatUpdatePendingOffset,
    "the path field ends where the pending flag starts");
static_assert(SequenceData::fullResolutionHeightOffset + 4 == SequenceData::size,
    "the last field ends the block");

SequenceData::SequenceData(unsigned char* bytes)
    : bytes(bytes)
{
    assert(bytes);
}

void SequenceData::initialise()
{
    std::memset(bytes, 0, size);
    // Three bytes at the front that older versions wrote and nothing reads.
    bytes[0] = 1;
    bytes[1] = 0;
    bytes[2] = 1;
    setRecordingFormatUpdatePending(true);
}

std::string SequenceData::correctionFilePath() const
{
    const unsigned char* field = bytes + correctionFilePathOffset;
    const void* end = std::memchr(field, 0, correctionFilePathCapacity);
    if (!end)
    {
        return std::string();
    }
    return std::string(
        reinterpret_cast<const char*>(field), static_cast<const unsigned char*>(end) - field);
}

void SequenceData::setCorrectionFilePath(const std::string& path)
{
    assert(path.size() < correctionFilePathCapacity);
    unsigned char* field = bytes + correctionFilePathOffset;
    std::memcpy(field, path.data(), path.size());
    field[path.size()] = 0;
}

bool SequenceData::recordingFormatUpdatePending() const
{
    return bytes[recordingFormatUpdatePendingOffset] != 0;
}

void SequenceData::setRecordingFormatUpdatePending(bool pending)
{
    bytes[recordingFormatUpdatePendingOffset] = pending ? 1 : 0;
}

uint32_t SequenceData::fullResolutionWidth() const
{
    return readUnsigned(fullResolutionWidthOffset);
}

uint32_t SequenceData::fullResolutionHeight() const
{
    return readUnsigned(fullResolutionHeightOffset);
}

void SequenceData::setFullResolution(uint32_t width, uint32_t height)
{
    writeUnsigned(fullResolutionWidthOffset, width);
    writeUnsigned(fullResolutionHeightOffset, height);
}

uint32_t SequenceData::readUnsigned(size_t offset) const
{
    return uint32_t(bytes[offset]) | uint32_t(bytes[offset + 1]) << 8
        | uint32_t(bytes[offset + 2]) << 16 | uint32_t(bytes[offset + 3]) << 24;
}

void SequenceData::writeUnsigned(size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
    {
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}
