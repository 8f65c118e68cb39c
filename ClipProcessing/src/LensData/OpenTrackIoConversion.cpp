// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/OpenTrackIoConversion.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#include "Correction/LensDataSource.h"
#include "LensData/OpenTrackIoFields.h"

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

namespace
{

    /// The smallest exposure falloff v(r) = 1 - (a1 r^2 + a2 r^4 + a3 r^6) for r from 0 to
    /// `corner`, and the radius where it is: a cubic in r^2, so its ends and turning points.
    std::pair<double, double> smallestFalloff(const std::array<double, 3>& a, double corner)
    {
        const auto v = [&a](double t) { return 1.0 - t * (a[0] + t * (a[1] + t * a[2])); };
        const double end = corner * corner;
        std::vector<double> candidates = { 0.0, end };
        // v'(t) = -(a1 + 2 a2 t + 3 a3 t^2)
        if (a[2] != 0.0)
        {
            const double discriminant = a[1] * a[1] - 3.0 * a[0] * a[2];
            if (discriminant >= 0.0)
            {
                const double root = std::sqrt(discriminant);
                candidates.push_back((-a[1] + root) / (3.0 * a[2]));
                candidates.push_back((-a[1] - root) / (3.0 * a[2]));
            }
        }
        else if (a[1] != 0.0)
        {
            candidates.push_back(-a[0] / (2.0 * a[1]));
        }
        std::pair<double, double> smallest { 1.0, 0.0 };
        for (const double t : candidates)
        {
            if (t >= 0.0 && t <= end)
            {
                const double value = v(t);
                // NaN counts as the smallest: a falloff that is no number shades nothing.
                if (!(value >= smallest.first))
                {
                    smallest = { value, std::sqrt(t) };
                }
            }
        }
        return smallest;
    }

} // namespace

void OpenTrackIo::convertLens(OpenTrackIoSample& sample, const Camera& camera,
    const std::array<double, 3>& falloff, double plateCorner)
{
    sample.sensorWidth = camera.width;
    // The library's radii are spread over the plate: its i-th value is taken at the i-th radius
    // times this, in the sample's millimetres.
    const double imageRadius = 0.5 * std::hypot(camera.width, camera.height);
    const double frameRadius = imageRadius * plateCorner;
    sample.radiusScale = frameRadius / cornerRadius;
    std::array<double, 6> shading {};
    std::array<double, 6> radialDistortion {};
    for (size_t i = 0; i < interpolationRadii.size(); ++i)
    {
        const double r = interpolationRadii[i] * sample.radiusScale;
        const double r2 = r * r;
        shading[i] = 100.0 * (1.0 - r2 * (falloff[0] + r2 * (falloff[1] + r2 * falloff[2])));
        radialDistortion[i] = i == 0 || sample.distortion.empty()
            ? 0.0
            : 1000.0 * (1.0 - sample.distortion.front().undistortedRatio(r));
    }
    const auto [smallest, where] = smallestFalloff(falloff, frameRadius);
    if (!(smallest > 0.0))
    {
        sample.shadingProblem = "Field: lens.exposureFalloff\nFalloff: " + decimal(smallest, 4)
            + " at " + decimal(where, 3)
            + " mm from the centre\nFrame Corner: " + decimal(frameRadius, 3) + " mm";
    }
    // The library puts the plate's corner at this radius times the plate's overscan share.
    sample.frameMetadata = frameJson(camera, cornerRadius / plateCorner, shading, radialDistortion);
    if (sample.frameMetadata.size() > maximumLibraryTextLength)
    {
        throw SampleProblem { "makes lens data longer than the library takes.",
            "Length: " + std::to_string(sample.frameMetadata.size()) + " characters" };
    }
}

RecordingFormatDatabase::RecordingFormat OpenTrackIo::inLibraryUnits(
    const RecordingFormatDatabase::RecordingFormat& format, float overscanPercent)
{
    if (!(format.imageAreaRadius > 0.0f && std::isfinite(format.imageAreaRadius)))
    {
        return format; // The library refuses it with its own message.
    }
    const float radius = float(cornerRadius / (1.0 + overscanPercent / 100.0));
    const float scale = radius / format.imageAreaRadius;
    RecordingFormatDatabase::RecordingFormat scaled = format;
    scaled.imageAreaWidth *= scale;
    scaled.imageAreaHeight *= scale;
    scaled.imageAreaRadius = radius;
    return scaled;
}

} // namespace LensCorrect
