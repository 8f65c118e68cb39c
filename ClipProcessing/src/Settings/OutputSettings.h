// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

namespace LensCorrect
{

/// What a run writes, and in which colour space and pixel type.
struct OutputSettings
{
    std::string output; ///< Pattern; may be empty when only maps or a preview are wanted.
    std::string stMap; ///< Pattern.
    std::string gainMap; ///< Pattern.
    std::string preview; ///< File.
    std::optional<int> previewFrame;
    /// Write the frame mapping as a JSON document here ("-": standard output); empty: none.
    std::string json;
    std::string colorSpace; ///< Empty: the file's own.
    std::string dataType; ///< Empty: the input's.
};

} // namespace LensCorrect
