// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostFrames.h"

#include "host/HostError.h"

namespace Host
{

HostFrames::HostFrames()
    : input(64, 32, false)
{
}

void HostFrames::setInputLayer(PixelWorld layer) { input = std::move(layer); }

const PixelWorld& HostFrames::outputWorld() const
{
    if (!output)
    {
        throw HostError("SimulatedHost: no render yet");
    }
    return *output;
}

void HostFrames::setOutputRowPadding(A_long bytes) { outputRowPadding = bytes; }

void HostFrames::overrideOutputSize(A_long width, A_long height)
{
    outputSizeOverride = std::make_pair(width, height);
}

void HostFrames::overrideOutputRowbytes(A_long rowbytes) { outputRowbytesOverride = rowbytes; }

void HostFrames::setDownsampling(PF_RationalScale x, PF_RationalScale y)
{
    downsampleX = x;
    downsampleY = y;
}

void HostFrames::setTime(A_long current, A_long step, A_u_long scale)
{
    currentTime = current;
    timeStep = step;
    timeScale = scale;
}

void HostFrames::describe(PF_InData& inData) const
{
    inData.current_time = currentTime;
    inData.time_step = timeStep;
    inData.time_scale = timeScale;
    inData.width = input.width();
    inData.height = input.height();
    inData.downsample_x = downsampleX;
    inData.downsample_y = downsampleY;
}

PixelWorld& HostFrames::newOutputWorld()
{
    // Without a frame setup the output has the input's size.
    const A_long width = outputSizeOverride ? outputSizeOverride->first
        : frameSizeRequested                ? outputWidth
                                            : input.width();
    const A_long height = outputSizeOverride ? outputSizeOverride->second
        : frameSizeRequested                 ? outputHeight
                                             : input.height();
    output = std::make_unique<PixelWorld>(outputRowbytesOverride
            ? PixelWorld::withRowbytes(width, height, input.deep(), *outputRowbytesOverride)
            : PixelWorld(width, height, input.deep(), outputRowPadding));
    return *output;
}

void HostFrames::takeFrameSetup(const PF_OutData& outData, bool expands)
{
    outputWidth = expands ? outData.width : input.width();
    outputHeight = expands ? outData.height : input.height();
    outputOrigin = expands ? outData.origin : PF_Point { 0, 0 };
    frameSizeRequested = true;
}

void HostFrames::forgetFrameSetup() { frameSizeRequested = false; }

} // namespace Host
