// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/ContainerManager/ContainerManager.h"

#include <cassert>
#include <utility>

#include "CorrectionData/CorrectionDataExceptions.h"

namespace CorrectionData
{

ContainerManager::ContainerManager(
    std::unique_ptr<ContainerManagerDataSource> dataSource, uint32_t capacity)
    : dataSource(std::move(dataSource))
    , contentCache(capacity)
{
    assert(this->dataSource);
}

void ContainerManager::shareContent(
    const std::string& clipFilePath, std::shared_ptr<Content>& content)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (contentCache.cachedContentForClipFilePath(clipFilePath, content))
    {
        return;
    }
    // Found from the clip itself, so it belongs to the clip: no mismatch check here.
    Content read {};
    std::string correctionFilePath;
    dataSource->content(clipFilePath, correctionFilePath, read);
    auto shared = std::make_shared<Content>(std::move(read));
    contentCache.cacheContent(clipFilePath, correctionFilePath, shared);
    content = std::move(shared);
}

void ContainerManager::shareContent(const std::string& clipFileName,
    const std::string& correctionFilePath, std::shared_ptr<Content>& content)
{
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<Content> shared;
    const bool cached = contentCache.cachedContentForCorrectionFilePath(correctionFilePath, shared);
    if (!cached)
    {
        Content read {};
        dataSource->content(correctionFilePath, read);
        shared = std::make_shared<Content>(std::move(read));
    }
    // Checked on every request: one cached file may be chosen for several clips.
    const Header& header = shared->header;
    if (header.videoFileName != clipFileName && header.clipName != clipFileName)
    {
        throw FileMismatchException(clipFileName, correctionFilePath, header.videoFileName);
    }
    if (!cached)
    {
        contentCache.cacheContent(correctionFilePath, shared);
    }
    content = std::move(shared);
}

bool ContainerManager::foundCorrectionFilePath(
    const std::string& clipFilePath, std::string& correctionFilePath)
{
    const std::lock_guard<std::mutex> lock(mutex);
    return contentCache.cachedCorrectionFilePathForClipFilePath(clipFilePath, correctionFilePath);
}

} // namespace CorrectionData
