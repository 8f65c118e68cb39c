// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// What the OpenTrackIO tests share: sample lines, the values they are checked against, and the
// fixtures.

#include <array>
#include <cstddef>
#include <string>

#include <gtest/gtest.h>

#include "CorrectionData/Parser/JsonParser.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Support/TemporaryDirectory.h"

namespace OpenTrackIoTesting
{

using namespace LensCorrect;

inline constexpr std::array<double, 6> radii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };

/// A 16:9 sensor whose corner lies at 21.4 mm: the library's radii are the sample's millimetres.
inline constexpr double sensorWidth = 37.303433;
inline const std::string staticBlock
    = R"("static":{"camera":{"make":"Maker","model":"Cam \"2\"",)"
      R"("activeSensorPhysicalDimensions":{"width":37.303433,"height":20.983181},)"
      R"("activeSensorResolution":{"width":1920,"height":1080}}})";

/// One NDJSON line: the lens block, with the static block and a timecode when given.
inline std::string sample(
    const std::string& lens, bool withStatic = true, const std::string& tc = "")
{
    return "{" + (withStatic ? staticBlock + "," : "") + R"("lens":{)" + lens + "}"
        + (tc.empty() ? "" : R"(,"timing":{"timecode":)" + tc + "}") + "}";
}

inline std::string distortion(
    const std::string& radial, const std::string& model = "Brown-Conrady D-U")
{
    return R"("distortion":[{"model":")" + model + R"(","radial":[)" + radial + "]}]";
}

/// The library's reading of a sample's frame JSON.
inline CorrectionData::Frame frameOf(
    const OpenTrackIoSample& sample, CorrectionData::Header& header)
{
    CorrectionData::Frame frame;
    CorrectionData::JsonParser::parse(sample.frameMetadata, header, frame);
    return frame;
}

/// Brown-Conrady U-D inverted by bisection (the reader uses Newton's method): thousandths.
inline std::array<float, 6> undistortedByBisection(double k1, double k3)
{
    std::array<float, 6> values {};
    for (size_t i = 1; i < radii.size(); ++i)
    {
        double low = 0.0;
        double high = 2.0 * radii[i];
        for (int step = 0; step < 200; ++step)
        {
            const double u = 0.5 * (low + high);
            const double u2 = u * u;
            (u * (1.0 + k1 * u2 + k3 * u2 * u2) < radii[i] ? low : high) = u;
        }
        values[i] = float(1000.0 * (1.0 - low / radii[i]));
    }
    return values;
}

class OpenTrackIo : public ::testing::Test
{
protected:
    OpenTrackIoSamples read(const std::string& text, const std::string& name = "take.ndjson")
    {
        return OpenTrackIoSamples(directory.writeFile(name, text));
    }

    TestSupport::TemporaryDirectory directory;
};

/// The tests that run the library's kernels.
class OpenTrackIoCorrection : public OpenTrackIo
{
};

} // namespace OpenTrackIoTesting
