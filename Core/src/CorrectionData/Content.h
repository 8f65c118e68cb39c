// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <map>

#include "CorrectionData/Frame.h"
#include "CorrectionData/Header.h"

namespace CorrectionData
{

/// A parsed correction file: its header and its frames, ordered by frame number.
struct Content
{
    Header header;
    std::map<uint32_t, Frame> frames;
};

} // namespace CorrectionData
