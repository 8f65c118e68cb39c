// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Image/ColorConversion.h"

#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/strutil.h>

#include "Common/Failure.h"

namespace LensCorrect
{

namespace
{

    const char* const linear = "linear";

    std::string chosenSpace(const OIIO::ImageSpec& spec, const std::string& requested)
    {
        if (!requested.empty())
        {
            return requested;
        }
        if (spec.format.is_floating_point())
        {
            return linear;
        }
        const std::string named = spec.get_string_attribute("oiio:ColorSpace");
        return named.empty() ? "sRGB" : named;
    }

    void convert(RgbaImage& image, const OIIO::ColorProcessorHandle& processor)
    {
        if (!processor)
        {
            return;
        }
        OIIO::ImageSpec spec(int(image.size.width), int(image.size.height), 4, OIIO::TypeFloat);
        spec.alpha_channel = 3;
        OIIO::ImageBuf buffer(spec, image.pixels.data());
        OIIO::ImageBufAlgo::colorconvert(buffer, buffer, processor.get(), true);
    }

} // namespace

ColorConversion::ColorConversion(const OIIO::ImageSpec& firstFrame, const std::string& requested)
    : space(chosenSpace(firstFrame, requested))
{
    // Processors outlive the configuration that made them.
    const OIIO::ColorConfig config;
    if (OIIO::Strutil::iequals(space, linear) || config.isColorSpaceLinear(space))
    {
        return;
    }
    toLinearProcessor = config.createColorProcessor(space, linear);
    fromLinearProcessor = config.createColorProcessor(linear, space);
    if (!toLinearProcessor || !fromLinearProcessor)
    {
        throw Failure("The colour space of the input cannot be converted to linear light.",
            "Colour Space: \"" + space + "\"\nKnown Colour Spaces: "
                + OIIO::Strutil::join(config.getColorSpaceNames(), ", ")
                + "\nHint: name the input's colour space with --colorspace, or point $OCIO at an "
                  "OpenColorIO configuration that knows it");
    }
}

std::string ColorConversion::colorSpaceOf(
    const OIIO::ImageSpec& frame, const std::string& requested)
{
    return chosenSpace(frame, requested);
}

void ColorConversion::toLinear(RgbaImage& image) const { convert(image, toLinearProcessor); }

void ColorConversion::fromLinear(RgbaImage& image) const { convert(image, fromLinearProcessor); }

} // namespace LensCorrect
