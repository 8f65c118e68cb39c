// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace CorrectionFile
{

class Finder
{
public:
    virtual ~Finder() = default;
    /// Writes the correction file path on success; throws CorrectionFile::NotFoundException.
    virtual void find(std::string& correctionFilePath) const = 0;
};

} // namespace CorrectionFile
