// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/Content.h"

namespace PythonBindings
{

/// One correction file, read and parsed by the library's reader and parser, its frames looked up
/// by the library's managed container (the frame that applies to a number or a timecode).
/// Failures are the library's Exception subclasses. Not thread-safe.
class LensData
{
public:
    explicit LensData(const std::string& path);

    const std::string path;
    const CorrectionData::Header& header() const { return content->header; }
    /// Ascending.
    std::vector<uint32_t> frameNumbers() const;
    /// The frame with the greatest frame number not above `number`.
    CorrectionData::Frame frame(uint32_t number);
    /// The frame `timecode` (HH:MM:SS:FF at `framesPerSecond`) falls on, counted from the first
    /// frame's timecode at the file's rate.
    CorrectionData::Frame frame(const std::string& timecode, float framesPerSecond);

private:
    static std::shared_ptr<CorrectionData::Content> read(const std::string& path);

    const std::shared_ptr<CorrectionData::Content> content;
    CorrectionData::ManagedContainer container;
};

} // namespace PythonBindings
