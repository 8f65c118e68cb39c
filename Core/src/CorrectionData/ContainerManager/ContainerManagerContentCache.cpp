// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/ContainerManager/ContainerManagerContentCache.h"

#include <utility>

namespace CorrectionData
{

ContainerManagerContentCache::ContainerManagerContentCache(uint32_t capacity)
    : capacity(capacity)
{
}

void ContainerManagerContentCache::cacheContent(
    const std::string& correctionFilePath, std::shared_ptr<Content> content)
{
    contentsByCorrectionFilePath[correctionFilePath] = std::move(content);
    insertionOrder.push_back(correctionFilePath);
    removeAllDataRelatedToCorrectionFilePathsWithLowPriority();
}

void ContainerManagerContentCache::cacheContent(const std::string& clipFilePath,
    const std::string& correctionFilePath, std::shared_ptr<Content> content)
{
    correctionFilePathsByClipFilePath[clipFilePath] = correctionFilePath;
    cacheContent(correctionFilePath, std::move(content));
}

bool ContainerManagerContentCache::cachedContentForCorrectionFilePath(
    const std::string& correctionFilePath, std::shared_ptr<Content>& content) const
{
    const auto found = contentsByCorrectionFilePath.find(correctionFilePath);
    if (found == contentsByCorrectionFilePath.end())
    {
        return false;
    }
    content = found->second;
    return true;
}

bool ContainerManagerContentCache::cachedContentForClipFilePath(
    const std::string& clipFilePath, std::shared_ptr<Content>& content) const
{
    const auto found = correctionFilePathsByClipFilePath.find(clipFilePath);
    return found != correctionFilePathsByClipFilePath.end()
        && cachedContentForCorrectionFilePath(found->second, content);
}

bool ContainerManagerContentCache::cachedCorrectionFilePathForClipFilePath(
    const std::string& clipFilePath, std::string& correctionFilePath) const
{
    const auto found = correctionFilePathsByClipFilePath.find(clipFilePath);
    if (found == correctionFilePathsByClipFilePath.end()
        || !contentsByCorrectionFilePath.count(found->second))
    {
        return false;
    }
    correctionFilePath = found->second;
    return true;
}

void ContainerManagerContentCache::removeAllDataRelatedToCorrectionFilePath(
    const std::string& correctionFilePath)
{
    contentsByCorrectionFilePath.erase(correctionFilePath);
    for (auto entry = correctionFilePathsByClipFilePath.begin();
         entry != correctionFilePathsByClipFilePath.end();)
    {
        entry = entry->second == correctionFilePath ? correctionFilePathsByClipFilePath.erase(entry)
                                                    : std::next(entry);
    }
}

void ContainerManagerContentCache::removeAllDataRelatedToCorrectionFilePathsWithLowPriority()
{
    if (capacity == 0)
    {
        return;
    }
    while (insertionOrder.size() > capacity)
    {
        // A copy: pop_front would leave a reference dangling.
        const std::string oldest = insertionOrder.front();
        insertionOrder.pop_front();
        removeAllDataRelatedToCorrectionFilePath(oldest);
    }
}

} // namespace CorrectionData
