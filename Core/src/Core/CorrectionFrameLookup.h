// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>

#include "Core/FrameData.h"
#include "CorrectionData/Container/Container.h"
#include "CorrectionData/ContainerManager/ContainerManager.h"
#include "CorrectionData/Frame.h"

/// How the library finds a frame's lens data, for callers beside the facade that must name the
/// record a frame takes (a dry run, the provenance of a written frame) without a second rule.
namespace Core
{

/// The container manager that every Core object shares: a correction file is read and parsed
/// once per process, whoever asks for it first. Created on first use, never destroyed.
std::shared_ptr<CorrectionData::ContainerManager> sharedContainerManager();

/// `frameData.frameNumber` at the lens data's rate `correctionFramesPerSecond`: unchanged when
/// either rate is 0 or they are equal, else scaled and truncated toward zero (clamped to 32 bits).
uint32_t convertedFrameNumber(const FrameData& frameData, float correctionFramesPerSecond);

/// The correction frame that applies to `frameData`: by timecode (the start timecode at the
/// header's rate, advanced by the converted frame number) when both are known, else by number.
/// Raises the container's and the timecode's exceptions.
CorrectionData::Frame correctionFrame(
    CorrectionData::Container& container, const FrameData& frameData);

} // namespace Core
