// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>

#include "CorrectionData/Content.h"

namespace CorrectionData
{

/// Provides the shared parsed correction data that managed containers refer to. Both operations
/// set content on success and throw an Exception subclass otherwise.
class ManagedContainerDataSource
{
public:
    virtual ~ManagedContainerDataSource() = default;

    /// The content of the correction file found for the clip.
    virtual void shareContent(const std::string& clipFilePath, std::shared_ptr<Content>& content)
        = 0;

    /// The content of a chosen correction file, which must belong to the clip.
    virtual void shareContent(const std::string& clipFileName,
        const std::string& correctionFilePath, std::shared_ptr<Content>& content)
        = 0;
};

} // namespace CorrectionData
