// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "Adobe/HostInterface.h"
#include "host/PixelWorld.h"

namespace Host
{

/// The footage the effect instance works on: its input layer, the output world of each render,
/// the time and downsampling the host renders at, and the output size the plug-in asked for at
/// frame setup.
class HostFrames
{
public:
    /// An 8-bit 64 x 32 layer, at time 0 of a clip of 24 frames per second, full resolution.
    HostFrames();

    /// The effect's input layer (parameter 0).
    PixelWorld& inputLayer() { return input; }
    const PixelWorld& inputLayer() const { return input; }
    void setInputLayer(PixelWorld layer);
    /// The output world of the last render (HostError before any).
    const PixelWorld& outputWorld() const;
    /// Extra bytes after each row of the output worlds the host creates.
    void setOutputRowPadding(A_long bytes);
    /// A host that ignores the size asked for at frame setup: the output world has this size.
    void overrideOutputSize(A_long width, A_long height);
    /// A hostile host: output worlds with exactly these rowbytes (also smaller than a row).
    void overrideOutputRowbytes(A_long rowbytes);
    void setDownsampling(PF_RationalScale x, PF_RationalScale y);
    void setTime(A_long currentTime, A_long timeStep, A_u_long timeScale);
    /// The output size and origin asked for at the last frame setup.
    A_long requestedOutputWidth() const { return outputWidth; }
    A_long requestedOutputHeight() const { return outputHeight; }
    PF_Point requestedOutputOrigin() const { return outputOrigin; }

    /// Writes the time, the layer's size and the downsampling into a command's input record.
    void describe(PF_InData& inData) const;
    /// A render's output world: of the size asked for at frame setup (the input's without
    /// one), the input's depth, rows padded as set. HostError for a negative size.
    PixelWorld& newOutputWorld();
    /// After frame setup: the size and origin in `outData`, when the plug-in may expand the
    /// output at all, else the input's.
    void takeFrameSetup(const PF_OutData& outData, bool expands);
    /// A new instance has asked for no size yet.
    void forgetFrameSetup();

private:
    PixelWorld input;
    std::unique_ptr<PixelWorld> output;
    A_long outputRowPadding = 0;
    std::optional<std::pair<A_long, A_long>> outputSizeOverride;
    std::optional<A_long> outputRowbytesOverride;
    PF_RationalScale downsampleX { 1, 1 };
    PF_RationalScale downsampleY { 1, 1 };
    A_long currentTime = 0;
    A_long timeStep = 1;
    A_u_long timeScale = 24;
    A_long outputWidth = 0;
    A_long outputHeight = 0;
    PF_Point outputOrigin { 0, 0 };
    bool frameSizeRequested = false;
};

} // namespace Host
