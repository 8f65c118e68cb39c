// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Output/Provenance.h"

namespace LensCorrect
{

namespace
{

    std::string summary(const Provenance& provenance)
    {
        std::string corrections;
        if (provenance.shading)
        {
            corrections = std::string("shading ")
                + (*provenance.shading == ShadingMode::remove ? "remove" : "add");
        }
        if (provenance.distortion)
        {
            corrections += std::string(corrections.empty() ? "" : ", ") + "distortion "
                + (*provenance.distortion == DistortionMode::undistort ? "undistort" : "distort");
        }
        return toolVersion() + ": " + provenance.what + ", " + corrections + "; lens data "
            + provenance.correctionFile + " frame " + provenance.lensDataFrame
            + (provenance.lensDataTimecode.empty() ? "" : " (" + provenance.lensDataTimecode + ")")
            + " of clip " + provenance.clipName;
    }

} // namespace

std::string toolVersion() { return std::string("lenscorrect ") + LC_VERSION; }

void addProvenance(OIIO::ImageSpec& spec, const std::string& format, const Provenance& provenance)
{
    const std::string line = summary(provenance);
    // A plate corrected before carries that run's attributes: they would pass for this run's.
    // Its line stays in the image history.
    spec.erase_attribute("lenscorrect:.*");
    spec.attribute("lenscorrect:Version", toolVersion());
    spec.attribute("lenscorrect:CorrectionFile", provenance.correctionFile);
    spec.attribute("lenscorrect:ClipName", provenance.clipName);
    spec.attribute("lenscorrect:LensDataFrame", provenance.lensDataFrame);
    spec.attribute("lenscorrect:LensDataTimecode", provenance.lensDataTimecode);
    if (provenance.shading)
    {
        spec.attribute(
            "lenscorrect:Shading", *provenance.shading == ShadingMode::remove ? "remove" : "add");
    }
    if (provenance.distortion)
    {
        spec.attribute("lenscorrect:Distortion",
            *provenance.distortion == DistortionMode::undistort ? "undistort" : "distort");
    }

    std::string history = spec.get_string_attribute("Exif:ImageHistory");
    const std::string software = spec.get_string_attribute("Software");
    if (history.empty() && !software.empty())
    {
        history = software;
    }
    spec.attribute("Exif:ImageHistory", history.empty() ? line : history + "\n" + line);
    spec.attribute("Software", toolVersion());
    if (format != "openexr" && format != "png")
    {
        const std::string description = spec.get_string_attribute("ImageDescription");
        spec.attribute("ImageDescription", description.empty() ? line : description + "\n" + line);
    }
}

} // namespace LensCorrect
