// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Exception/Exception.h"

namespace Timecode
{

class InvalidTimecodeException : public Exception
{
public:
    InvalidTimecodeException(const std::string& briefDescription, const std::string& timecodeString,
        float framesPerSecond);
    InvalidTimecodeException(const std::string& briefDescription, const std::string& lhsTimecode,
        const std::string& rhsTimecode);
};

} // namespace Timecode
