// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/TestCorrectionFile.h"

#include <limits>
#include <locale>
#include <sstream>

namespace TestSupport
{

namespace
{

    void writeValues(std::ostream& stream, const std::array<float, 6>& values)
    {
        for (size_t i = 0; i < values.size(); ++i)
        {
            stream << (i ? "," : "") << values[i];
        }
    }

} // namespace

std::string TestCorrectionFile::text() const
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    // Every float written reads back as the same float.
    stream.precision(std::numeric_limits<float>::max_digits10);
    stream << "HEADER_START\n"
           << "lensManufacturer:=Test Optics\n"
           << "lensTypeName:=Prime 35\n"
           << "lensSerialNumber:=0001\n"
           << "lensMinFocalLength:=35\n"
           << "lensMaxFocalLength:=35\n"
           << "cameraManufacturer:=" << cameraManufacturer << "\n"
           << "cameraModel:=" << cameraModel << "\n"
           << "sensorWidth:=" << sensorWidth << "\n"
           << "clipName:=" << clipName << "\n"
           << "videoFileName:=" << videoFileName << "\n"
           << "clipDurationFrames:=" << clipDurationFrames << "\n"
           << "clipWidth:=" << clipWidth << "\n"
           << "clipHeight:=" << clipHeight << "\n"
           << "tcFps:=" << tcFps << "\n"
           << "tcDrop:=" << (tcDrop ? 1 : 0) << "\n"
           << "enableLensShadingCorrection:=1\n"
           << "shadingGamma:=1\n"
           << "enableLensDistortionCorrection:=1\n"
           << "distortionZoom:=1\n"
           << "HEADER_END\n"
           << "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;timecode\n";
    for (const Frame& frame : frames)
    {
        stream << frame.frameNumber << ";";
        writeValues(stream, frame.shading);
        stream << ";";
        writeValues(stream, frame.radialDistortion);
        stream << ";;;;;;" << frame.timecode << "\n";
    }
    return stream.str();
}

} // namespace TestSupport
