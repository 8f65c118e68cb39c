// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

namespace CorrectionFile
{

/// Reads a whole correction file into memory, byte for byte.
class Reader
{
public:
    /// Replaces fileContent by the bytes of the file; throws CorrectionFile::NotReadableException.
    void readFile(const std::string& filePath, std::string& fileContent) const;
};

} // namespace CorrectionFile
