// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "CorrectionData/Container/ManagedContainerDataSource.h"
#include "CorrectionData/ContainerManager/ContainerManagerContentCache.h"
#include "CorrectionData/ContainerManager/ContainerManagerDataSource.h"

namespace CorrectionData
{

/// The process-wide provider of parsed correction files to managed containers: reads each file
/// once per cache residence, hands out shared contents, and checks that a chosen correction file
/// belongs to the clip.
///
/// Thread-safe: one manager serves the containers of every library object, on any thread. A
/// request holds the manager's lock while it finds, reads and parses, so concurrent requests for
/// one file parse it once.
class ContainerManager : public ManagedContainerDataSource
{
public:
    /// capacity: the most correction file paths cached; 0 means no limit.
    ContainerManager(std::unique_ptr<ContainerManagerDataSource> dataSource, uint32_t capacity);

    void shareContent(const std::string& clipFilePath, std::shared_ptr<Content>& content) override;
    /// Throws CorrectionData::FileMismatchException when the file names neither clipFileName as
    /// its video file name nor as its clip name.
    void shareContent(const std::string& clipFileName, const std::string& correctionFilePath,
        std::shared_ptr<Content>& content) override;

    /// The correction file found for a clip, while its content is cached; false otherwise.
    bool foundCorrectionFilePath(const std::string& clipFilePath, std::string& correctionFilePath);

private:
    std::unique_ptr<ContainerManagerDataSource> dataSource;
    ContainerManagerContentCache contentCache;
    std::mutex mutex; // Guards the data source and the cache.
};

} // namespace CorrectionData
