// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>

#include "CorrectionData/Frame.h"
#include "CorrectionData/Header.h"
#include "Timecode/Timecode.h"

namespace CorrectionData
{

/// One clip's lens correction data: its header and the frame that applies to a frame number or
/// a timecode. Every operation throws on failure and leaves its output untouched then.
class Container
{
public:
    virtual ~Container() = default;
    virtual void headerData(Header& header) = 0;
    virtual void frameData(uint32_t frameNumber, Frame& frame) = 0;
    virtual void frameData(Timecode::Timecode timecode, Frame& frame) = 0;
};

} // namespace CorrectionData
