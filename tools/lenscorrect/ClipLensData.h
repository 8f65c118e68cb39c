// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CorrectionData/Frame.h"
#include "CorrectionData/Header.h"
#include "lenscorrect/CommandLineDataSource.h"

namespace CorrectionData
{
class ManagedContainer;
}

namespace LensCorrect
{

/// Which record of the lens data a frame takes: its number in the clip, counted at a rate from
/// a start timecode when one is known (the fields the library's frame data carries).
struct LensDataKey
{
    uint32_t frameNumber = 0;
    /// The rate the number counts at; 0: the lens data's own (no conversion).
    float framesPerSecond = 0.0f;
    /// Timecode of frame number 0; empty: look the record up by number.
    std::string startTimecode;
};

/// The clip's lens data as the library sees it, read through the library's own container and
/// process-wide cache, so that the tool names the same header and record that a render uses.
class ClipLensData
{
public:
    explicit ClipLensData(const ClipIdentity& identity);
    ~ClipLensData();
    ClipLensData(const ClipLensData&) = delete;
    ClipLensData& operator=(const ClipLensData&) = delete;

    /// The header; throws Failure with the library's texts (not found, unreadable, not the
    /// clip's).
    CorrectionData::Header header();
    /// The record that applies to `key`; throws Failure with the library's texts.
    CorrectionData::Frame frame(const LensDataKey& key);

    /// The correction file the data comes from: the one named, or the one the library found
    /// around the clip (empty until the header has been read).
    std::string correctionFilePath() const;

    /// The header of a correction file, read and parsed without checking whom it belongs to.
    static CorrectionData::Header headerOfFile(const std::string& correctionFilePath);

private:
    const ClipIdentity identity;
    std::unique_ptr<CorrectionData::ManagedContainer> container;
};

} // namespace LensCorrect
