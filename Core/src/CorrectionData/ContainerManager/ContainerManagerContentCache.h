// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "CorrectionData/Content.h"

namespace CorrectionData
{

/// Parsed correction files keyed by correction file path, and the correction file found for each
/// clip path. Bounded by the number of correction file paths queued, evicted first in, first
/// out by insertion (a hit does not refresh an entry). Paths are compared as exact byte strings.
///
/// Not thread-safe by itself; the container manager serialises every use.
class ContainerManagerContentCache
{
public:
    /// capacity: the most insertions queued; 0 means no limit.
    explicit ContainerManagerContentCache(uint32_t capacity);

    void cacheContent(const std::string& correctionFilePath, std::shared_ptr<Content> content);
    void cacheContent(const std::string& clipFilePath, const std::string& correctionFilePath,
        std::shared_ptr<Content> content);

    /// True and content set when cached; false and content untouched otherwise.
    bool cachedContentForCorrectionFilePath(
        const std::string& correctionFilePath, std::shared_ptr<Content>& content) const;
    bool cachedContentForClipFilePath(
        const std::string& clipFilePath, std::shared_ptr<Content>& content) const;
    /// True and correctionFilePath set when a file found for the clip is cached.
    bool cachedCorrectionFilePathForClipFilePath(
        const std::string& clipFilePath, std::string& correctionFilePath) const;

    /// Forgets the content and every clip path mapped to it; queued entries stay.
    void removeAllDataRelatedToCorrectionFilePath(const std::string& correctionFilePath);
    /// Evicts the oldest queued paths while more than capacity are queued.
    void removeAllDataRelatedToCorrectionFilePathsWithLowPriority();

private:
    uint32_t capacity;
    std::map<std::string, std::shared_ptr<Content>> contentsByCorrectionFilePath;
    std::map<std::string, std::string> correctionFilePathsByClipFilePath;
    // Oldest first; a path cached again is queued again.
    std::deque<std::string> insertionOrder;
};

} // namespace CorrectionData
