// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include <OpenImageIO/color.h>
#include <OpenImageIO/imageio.h>

#include "Image/RgbaImage.h"

namespace LensCorrect
{

/// The way between a clip's pixel encoding and the linear light in which the library corrects
/// (shading is a multiplication of light). The clip's colour space is the one asked for, else
/// linear for float and half data, else the one the file names, else sRGB. OpenImageIO converts,
/// through OpenColorIO where it is configured ($OCIO), with alpha kept out of the conversion.
class ColorConversion
{
public:
    /// `requested` empty: decide from the clip's first frame. Throws Failure when OpenImageIO
    /// knows no conversion between that colour space and linear.
    ColorConversion(const OIIO::ImageSpec& firstFrame, const std::string& requested);

    const std::string& colorSpace() const { return space; }
    /// The colour space a frame with this header is taken to be in.
    static std::string colorSpaceOf(const OIIO::ImageSpec& frame, const std::string& requested);

    void toLinear(RgbaImage& image) const;
    void fromLinear(RgbaImage& image) const;

private:
    std::string space;
    OIIO::ColorProcessorHandle toLinearProcessor;
    OIIO::ColorProcessorHandle fromLinearProcessor;
};

} // namespace LensCorrect
