// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/OpenTrackIoConversion.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "lenscorrect/CommandLineDataSource.h"
#include "lenscorrect/OpenTrackIoFields.h"

namespace LensCorrect
{

namespace
{

    /// The radii (mm) at which the library takes its six shading and distortion values.
    constexpr std::array<double, 6> interpolationRadii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };
    constexpr const char* interpolationHeights = "[0,5,10,15,18,21.4]";

    /// A JSON string literal.
    std::string quoted(const std::string& text)
    {
        std::string literal = "\"";
        for (const char c : text)
        {
            if (c == '"' || c == '\\')
            {
                literal += '\\';
                literal += c;
            }
            else if (static_cast<unsigned char>(c) < 0x20)
            {
                char escape[8];
                std::snprintf(
                    escape, sizeof escape, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                literal += escape;
            }
            else
            {
                literal += c;
            }
        }
        return literal + "\"";
    }

    /// The library reads floats. JSON has no NaN or infinity; null is no number to the library
    /// either, so it refuses such a frame with its own message.
    std::string jsonNumber(double value)
    {
        if (!(std::abs(value) <= std::numeric_limits<float>::max()))
        {
            return "null";
        }
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, float(value));
        return std::string(text, result.ptr);
    }

    std::string jsonList(const std::array<double, 6>& values)
    {
        std::string list = "[";
        for (const double value : values)
        {
            list += (list.size() > 1 ? "," : "") + jsonNumber(value);
        }
        return list + "]";
    }

    std::string frameJson(const OpenTrackIo::Camera& camera, double imageRadius,
        const std::array<double, 6>& shading, const std::array<double, 6>& distortion)
    {
        return R"({"recordingFormat":{"camera":{"manufacturer":)" + quoted(camera.make)
            + R"(,"model":)" + quoted(camera.model) + R"(},"clipResolution":{"width":)"
            + std::to_string(camera.pixelsWide) + R"(,"height":)"
            + std::to_string(camera.pixelsHigh) + R"(},"imageRadius":)" + jsonNumber(imageRadius)
            + R"(},"frameData":{"interpolationPoints":{"heights":)" + interpolationHeights
            + R"(,"shading":)" + jsonList(shading) + R"(,"radialDistortion":)"
            + jsonList(distortion) + "}}}";
    }

} // namespace

double BrownConrady::undistortedRatio(double r) const
{
    // R(u) = (1 + k1 u^2 + k3 u^4 + k5 u^6) / (1 + k2 u^2 + k4 u^4 + k6 u^6), with its slope.
    const auto ratio = [this](double u, double* slope)
    {
        double numerator = 1.0;
        double denominator = 1.0;
        double numeratorSlope = 0.0;
        double denominatorSlope = 0.0;
        for (size_t i = 0; i < radial.size(); ++i)
        {
            const double power = double(2 * (i / 2) + 2);
            const double term = radial[i] * std::pow(u, power);
            const double termSlope = radial[i] * power * std::pow(u, power - 1.0);
            (i % 2 == 0 ? numerator : denominator) += term;
            (i % 2 == 0 ? numeratorSlope : denominatorSlope) += termSlope;
        }
        if (slope)
        {
            *slope = (numeratorSlope * denominator - numerator * denominatorSlope)
                / (denominator * denominator);
        }
        return numerator / denominator;
    };
    if (!undistortedToDistorted)
    {
        return ratio(r, nullptr);
    }
    if (r == 0.0)
    {
        return 1.0;
    }
    // Solve u R(u) = r by Newton's method from u = r.
    double u = r;
    for (int iteration = 0; iteration < 100; ++iteration)
    {
        double slope = 0.0;
        const double value = ratio(u, &slope);
        const double step = (u * value - r) / (value + u * slope);
        if (!std::isfinite(step))
        {
            return std::nan("");
        }
        u -= step;
        if (std::abs(step) <= 1e-14 * std::abs(r))
        {
            break;
        }
    }
    const double residual = u * ratio(u, nullptr) - r;
    return std::abs(residual) <= 1e-9 * std::abs(r) ? u / r : std::nan("");
}

void OpenTrackIo::convertLens(OpenTrackIoSample& sample, const Camera& camera,
    const std::array<double, 3>& falloff,
    const std::optional<RecordingFormatDatabase::RecordingFormat>& recordingFormat)
{
    sample.sensorWidth = camera.width;
    const double imageRadius = 0.5 * std::hypot(camera.width, camera.height);
    if (recordingFormat && recordingFormat->imageAreaRadius > 0.0f
        && std::isfinite(recordingFormat->imageAreaRadius)
        && std::abs(imageRadius / recordingFormat->imageAreaRadius - 1.0) > 1e-6)
    {
        sample.radiusScale = imageRadius / recordingFormat->imageAreaRadius;
    }
    std::array<double, 6> shading {};
    std::array<double, 6> radialDistortion {};
    const BrownConrady& lens = sample.distortion.front();
    for (size_t i = 0; i < interpolationRadii.size(); ++i)
    {
        const double r = interpolationRadii[i] * sample.radiusScale;
        const double r2 = r * r;
        shading[i] = 100.0 * (1.0 - r2 * (falloff[0] + r2 * (falloff[1] + r2 * falloff[2])));
        radialDistortion[i] = i == 0 ? 0.0 : 1000.0 * (1.0 - lens.undistortedRatio(r));
    }
    sample.frameMetadata = frameJson(camera, imageRadius, shading, radialDistortion);
    if (sample.frameMetadata.size() > maximumLibraryTextLength)
    {
        throw SampleProblem { "makes lens data longer than the library takes.",
            "Length: " + std::to_string(sample.frameMetadata.size()) + " characters" };
    }
}

} // namespace LensCorrect
