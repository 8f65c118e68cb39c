// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace LensCorrect
{

/// The most frames one frame list may name: about 4.6 days at 25 frames per second.
constexpr size_t maximumFrameListSize = 10'000'000;

/// The frame numbers of a frame list in OpenImageIO's notation, ascending, each once: "1001",
/// "1001-1100", "1-10x2" (every second frame), "1-10y2" (the others), and comma-separated lists of
/// these. Throws Failure for anything else, for numbers beyond +-999,999,999 and for lists of
/// more than maximumFrameListSize frames, before OpenImageIO expands the list.
std::vector<int> parseFrameList(const std::string& text);

} // namespace LensCorrect
