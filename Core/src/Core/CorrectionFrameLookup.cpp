// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/CorrectionFrameLookup.h"

#include <cstring>
#include <limits>
#include <string>

#include "CorrectionData/ContainerManager/CorrectionFileBasedContainerManagerDataSource.h"
#include "CorrectionData/Header.h"
#include "CorrectionFile/Finder/LevelOfDepth.h"
#include "Exception/ProcessWide.h"
#include "Timecode/Timecode.h"

namespace Core
{

std::shared_ptr<CorrectionData::ContainerManager> sharedContainerManager()
{
    static ProcessWide<std::shared_ptr<CorrectionData::ContainerManager>> manager;
    return manager.once(
        []
        {
            CorrectionFile::LevelOfDepth levelOfDepth;
            levelOfDepth.subdirectories = 1;
            levelOfDepth.parentDirectories = 5;
            levelOfDepth.subdirectoriesOfParentDirectories = 2;
            return std::make_unique<std::shared_ptr<CorrectionData::ContainerManager>>(
                std::make_shared<CorrectionData::ContainerManager>(
                    std::make_unique<CorrectionData::CorrectionFileBasedContainerManagerDataSource>(
                        levelOfDepth),
                    100));
        });
}

uint32_t convertedFrameNumber(const FrameData& frameData, float correctionFramesPerSecond)
{
    if (frameData.framesPerSecond == 0.0f || correctionFramesPerSecond == frameData.framesPerSecond)
    {
        return frameData.frameNumber;
    }
    const float converted = correctionFramesPerSecond / frameData.framesPerSecond
        * static_cast<float>(frameData.frameNumber);
    // A negative or absurd rate must not turn into an undefined float-to-integer conversion.
    if (!(converted >= 0.0f))
    {
        return 0;
    }
    if (!(converted < 4294967296.0f))
    {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(converted);
}

CorrectionData::Frame correctionFrame(
    CorrectionData::Container& container, const FrameData& frameData)
{
    CorrectionData::Header header {};
    container.headerData(header);
    const float correctionFramesPerSecond = header.tcFps;
    const uint32_t frameNumber = convertedFrameNumber(frameData, correctionFramesPerSecond);

    CorrectionData::Frame frame;
    const std::string startTimecode(
        frameData.startTimecode, strnlen(frameData.startTimecode, sizeof frameData.startTimecode));
    if (correctionFramesPerSecond != 0.0f && !startTimecode.empty())
    {
        container.frameData(
            Timecode::Timecode(startTimecode.c_str(), correctionFramesPerSecond) + frameNumber,
            frame);
    }
    else
    {
        container.frameData(frameNumber, frame);
    }
    return frame;
}

} // namespace Core
