// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// The block an effect instance keeps in the host's sequence data, which the host saves with the
/// project and hands back from project files. It is a stored format: 4108 bytes, little-endian,
/// every field at a fixed byte offset, no pointers. This class is a view of such a block; it
/// reads and writes the fields byte by byte, so the layout is the same on every compiler, and it
/// never touches a byte outside the block.
class SequenceData
{
public:
    static constexpr size_t size = 4108;

    static constexpr size_t correctionFilePathOffset = 3;
    /// The path field: at most 4095 bytes of UTF-8 and a terminating zero.
    static constexpr size_t correctionFilePathCapacity = 4096;
    static constexpr size_t recordingFormatUpdatePendingOffset = 4099;
    static constexpr size_t fullResolutionWidthOffset = 4100;
    static constexpr size_t fullResolutionHeightOffset = 4104;

    /// A view of `size` bytes at `bytes`, which must stay valid while the view is used.
    explicit SequenceData(unsigned char* bytes);

    /// Writes the values of a new instance: no path, recording format update pending, no size.
    void initialise();

    /// The stored path, or the empty text when none is stored or the field holds no zero byte
    /// (a damaged block).
    std::string correctionFilePath() const;
    /// Stores `path` and its zero; the caller has checked that it fits the field.
    void setCorrectionFilePath(const std::string& path);

    bool recordingFormatUpdatePending() const;
    void setRecordingFormatUpdatePending(bool pending);

    uint32_t fullResolutionWidth() const;
    uint32_t fullResolutionHeight() const;
    void setFullResolution(uint32_t width, uint32_t height);

private:
    uint32_t readUnsigned(size_t offset) const;
    void writeUnsigned(size_t offset, uint32_t value);

    unsigned char* bytes;
};
