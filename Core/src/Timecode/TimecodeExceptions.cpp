// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Timecode/TimecodeExceptions.h"

#include "Exception/DetailLines.h"

namespace Timecode
{

InvalidTimecodeException::InvalidTimecodeException(
    const std::string& briefDescription, const std::string& timecodeString, float framesPerSecond)
    : Exception(briefDescription,
        ExceptionDetail::DetailLines()
            .quoted("Timecode String: ", timecodeString)
            .quoted("Frames per Second: ", ExceptionDetail::text(framesPerSecond))
            .str())
{
}

InvalidTimecodeException::InvalidTimecodeException(const std::string& briefDescription,
    const std::string& lhsTimecode, const std::string& rhsTimecode)
    : Exception(briefDescription,
        ExceptionDetail::DetailLines()
            .quoted("Lhs Timecode: ", lhsTimecode)
            .quoted("Rhs Timecode: ", rhsTimecode)
            .str())
{
}

} // namespace Timecode
