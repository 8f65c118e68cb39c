// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace LensCorrect
{

/// A file path whose file name holds at most one frame number field, as compositors write them:
/// "plate.####.exr" or "plate.@@@@.exr" (one digit per character), "plate.%04d.exr" or
/// "plate.%d.exr". A path without a field names one file for every frame.
class FramePattern
{
public:
    /// Throws Failure for a file name with two fields, a '%' that starts neither a field nor "%%"
    /// (it would reach a printf-style formatter), or a field of more than 10 digits.
    explicit FramePattern(const std::string& pattern);

    /// The pattern of the sequence that a file belongs to when its name, before the extension,
    /// ends in a frame number ("plate.1001.exr" gives "plate.%04d.exr" and 1001); none otherwise.
    static std::optional<std::pair<FramePattern, int>> sequenceOfFile(const std::string& path);

    bool hasFrameField() const { return hasField; }
    /// Digits the frame number is padded to; 0 or 1 for none.
    int padding() const { return fieldPadding; }
    /// The path in printf form ("dir/plate.%04d.exr", literal percent signs doubled).
    std::string printfPattern() const;
    /// The path of one frame; the pattern itself when it has no field.
    std::string path(int frame) const;

    /// The existing files of the sequence in the pattern's directory, by ascending frame number.
    /// Throws Failure when the directory cannot be read.
    std::vector<std::pair<int, std::string>> scan() const;

private:
    FramePattern() = default;

    std::string directory; ///< With its trailing separator; may be empty.
    std::string prefix; ///< File name before the field, literal.
    std::string suffix; ///< File name after the field (or the whole name), literal.
    bool hasField = false;
    int fieldPadding = 0;
};

} // namespace LensCorrect
