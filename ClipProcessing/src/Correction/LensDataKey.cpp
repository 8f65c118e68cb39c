// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Correction/LensDataKey.h"

#include "Core/TextCopy.h"

namespace LensCorrect
{

Core::FrameData libraryFrameData(const LensDataKey& key)
{
    Core::FrameData frame {};
    frame.frameNumber = key.frameNumber;
    frame.framesPerSecond = key.framesPerSecond;
    // A timecode cut to the field's length would look up other frames.
    if (!Core::copyWholeText(key.startTimecode, frame.startTimecode, sizeof(frame.startTimecode)))
    {
        throw Failure("The start timecode is longer than a timecode can be.",
            "Start Timecode: \"" + key.startTimecode + "\"\nLongest: "
                + std::to_string(sizeof(frame.startTimecode) - 1) + " characters");
    }
    return frame;
}

} // namespace LensCorrect
