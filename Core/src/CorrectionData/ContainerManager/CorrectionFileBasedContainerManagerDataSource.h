// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "CorrectionData/ContainerManager/ContainerManagerDataSource.h"
#include "CorrectionFile/Finder/LevelOfDepth.h"

namespace CorrectionData
{

/// Finds a clip's correction file around the clip's path and reads and parses correction files.
class CorrectionFileBasedContainerManagerDataSource : public ContainerManagerDataSource
{
public:
    explicit CorrectionFileBasedContainerManagerDataSource(
        CorrectionFile::LevelOfDepth levelOfDepth);

    void content(const std::string& clipFilePath, std::string& correctionFilePath,
        Content& content) override;
    void content(const std::string& correctionFilePath, Content& content) override;

private:
    CorrectionFile::LevelOfDepth levelOfDepth;
};

} // namespace CorrectionData
