// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/LensCorrectionDataSource.h"

#include <algorithm>
#include <cassert>

#include "AePlugin/AeClip.h"
#include "Core/FrameArithmetic.h"
#include "Core/TextCopy.h"
#include "LensCorrection/LensCorrectionDetail.h"
#include "LensCorrection/LensCorrectionParameter.h"
#include "LensCorrection/LockedSequenceData.h"

void LensCorrectionDataSource::setAeInterface(std::shared_ptr<AeInterface> ae)
{
    this->ae = std::move(ae);
}

bool LensCorrectionDataSource::frameMetadata(char*, size_t) const { return false; }

bool LensCorrectionDataSource::correctionFilePath(char* buffer, size_t capacity) const
{
    std::string path;
    return correctionFilePath(path) && Core::copyWholeText(path, buffer, capacity);
}

bool LensCorrectionDataSource::clipFileName(char* buffer, size_t capacity) const
{
    std::string name;
    return clipFileName(name) && Core::copyWholeText(name, buffer, capacity);
}

bool LensCorrectionDataSource::clipFilePath(char* buffer, size_t capacity) const
{
    std::string path;
    return clipFilePath(path) && Core::copyWholeText(path, buffer, capacity);
}

bool LensCorrectionDataSource::correctionFilePath(std::string& path) const
{
    return LensCorrectionParameter(ae).correctionFilePath(path);
}

bool LensCorrectionDataSource::clipFileName(std::string& name) const
{
    return AeClip(ae).fileName(name);
}

bool LensCorrectionDataSource::clipFilePath(std::string& path) const
{
    return AeClip(ae).filePath(path);
}

bool LensCorrectionDataSource::frameData(Core::FrameData& frameData) const
{
    using namespace LensCorrectionDetail;
    const PF_InData& inData = *ae->inData;
    frameData.frameNumber = frameNumber(inData.current_time, inData.time_step);
    frameData.framesPerSecond = framesPerSecond(inData.time_scale, inData.time_step);
    frameData.startTimecode[0] = '\0';

    if (ae->command == PF_Cmd_RENDER && ae->output)
    {
        frameData.width = uint32_t(std::max<A_long>(ae->output->width, 0));
        frameData.height = uint32_t(std::max<A_long>(ae->output->height, 0));
    }
    else if (ae->command == PF_Cmd_FRAME_SETUP && ae->outData)
    {
        frameData.width = uint32_t(std::max<A_long>(ae->outData->width, 0));
        if (inData.width > 0 && inData.height > 0)
        {
            const float aspectRatio = float(inData.width) / float(inData.height);
            frameData.height = truncatedUnsigned(float(frameData.width) / aspectRatio);
        }
        else
        {
            // A layer without extent has no proportion to follow.
            frameData.height = uint32_t(std::max<A_long>(ae->outData->height, 0));
        }
    }
    else
    {
        assert(false);
        return false;
    }

    const LensCorrectionParameter parameter(ae);
    const uint32_t width = parameter.resolutionWidthWithoutOverscan();
    const uint32_t height = parameter.resolutionHeightWithoutOverscan();
    LockedSequenceData sequenceData(*ae);
    const SequenceData* block = sequenceData.get();
    // A single-pixel picture has no proportion to the frame: no overscan, as with no picture.
    frameData.overscan = block ? Core::overscanPercent(block->fullResolutionWidth(),
                             block->fullResolutionHeight(), width, height)
                                     .value_or(0.0f)
                               : 0.0f;
    return true;
}

bool LensCorrectionDataSource::recordingFormat(
    RecordingFormatDatabase::RecordingFormat& recordingFormat) const
{
    const LensCorrectionParameter parameter(ae);
    if (!parameter.manualRecordingFormatSelection())
    {
        return false;
    }
    recordingFormat = Core::manualRecordingFormat(parameter.imageAreaSizeWidth(),
        parameter.imageAreaSizeHeight(), parameter.clipResolutionWidth(),
        parameter.clipResolutionHeight(), parameter.imageDiameter());
    return true;
}
