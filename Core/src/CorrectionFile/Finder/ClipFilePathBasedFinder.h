// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "CorrectionFile/Finder/Finder.h"
#include "CorrectionFile/Finder/LevelOfDepth.h"

namespace CorrectionFile
{

/// Finds the correction file whose header names the clip, searching the clip's directory, its
/// subdirectories and its parent directories in a fixed order.
class ClipFilePathBasedFinder : public Finder
{
public:
    ClipFilePathBasedFinder(const std::string& clipFilePath, LevelOfDepth levelOfDepth);
    void find(std::string& correctionFilePath) const override;

private:
    std::string clipFilePath;
    LevelOfDepth levelOfDepth;
};

} // namespace CorrectionFile
