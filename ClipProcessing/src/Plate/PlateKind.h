// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Common/FrameGeometry.h"
#include "Image/ChannelLayout.h"
#include "Image/ColorConversion.h"
#include "Plate/InputClip.h"
#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// One part of the clip's frames as its first frame has it, and how its pixels travel through
/// the library. A file of one picture has one part; a multi-part EXR has one per part, each a
/// picture of the same frame through the same lens (stereo views, render layers).
struct PartKind
{
    PartKind(const OIIO::ImageSpec& spec, const std::string& requestedColorSpace);

    OIIO::ImageSpec spec; ///< The first frame's header of the part.
    ColorConversion colour;
    ChannelLayout layout;
};

/// What every frame of a clip must share with its first frame, part by part, and where each
/// frame's pixels go in the picture. Refused, with the frame named: another number or naming
/// of parts, other channel names, another colour space, another display window, or a data window
/// that makes another picture (another size, other overscan). Handled per frame: the data window
/// (each frame's pixels at their place in the picture) and the pixel type (each output keeps its
/// frame's).
class PlateKind
{
public:
    /// From the clip's first frame. Throws Failure naming the part when a part cannot be
    /// corrected: deep data, a volume, or a picture other than the first part's.
    PlateKind(const RunSettings& options, const InputClip& clip);
    /// From the parts of one frame's file, for a clip not listed whole (a chunk run from a plan).
    PlateKind(const RunSettings& options, const std::string& firstPath,
        const std::vector<OIIO::ImageSpec>& parts);

    /// The first frame's first part: the picture every frame is corrected in.
    const PicturePlace& place() const { return first; }
    const std::vector<PartKind>& parts() const { return kinds; }

    /// Where the pixels of every part of a frame go in the picture, from the frame's headers.
    /// Throws Failure naming the frame's file (and the part) when the frame differs in kind.
    std::vector<PicturePlace> check(
        const InputFrame& frame, const std::vector<OIIO::ImageSpec>& parts) const;

private:
    /// `firstFrame`: the same part of the first frame, which a later frame's must match; null
    /// for the first frame itself.
    PicturePlace checkPart(const std::string& path, size_t index, const OIIO::ImageSpec& spec,
        const OIIO::ImageSpec* firstFrame) const;
    std::string partLine(size_t index, const OIIO::ImageSpec& spec) const;

    const RunSettings options;
    const size_t partCount;
    std::vector<PartKind> kinds;
    PicturePlace first;
};

} // namespace LensCorrect
