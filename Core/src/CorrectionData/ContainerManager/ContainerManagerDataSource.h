// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "CorrectionData/Content.h"

namespace CorrectionData
{

/// Where the container manager gets parsed correction data from. Both operations throw an
/// Exception subclass on failure and leave their outputs untouched then.
class ContainerManagerDataSource
{
public:
    /// Virtual: the manager owns its data source through a pointer to this interface.
    virtual ~ContainerManagerDataSource() = default;

    /// Finds the clip's correction file, reports its path and fills content from it.
    virtual void content(
        const std::string& clipFilePath, std::string& correctionFilePath, Content& content)
        = 0;

    /// Fills content from the given correction file.
    virtual void content(const std::string& correctionFilePath, Content& content) = 0;
};

} // namespace CorrectionData
