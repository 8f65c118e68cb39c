// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// ST-maps and gain maps that the library's kernels make from OpenTrackIO samples, against the
// standard's lens model and exposure falloff computed here, over the whole frame.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Correction/CorrectorSettings.h"
#include "Correction/FrameCorrector.h"
#include "OpenTrackIoTestSupport.h"

using namespace LensCorrect;
using namespace OpenTrackIoTesting;

namespace
{

/// The standard's lens model and exposure falloff, written here from its formulas: the
/// reference that the library's maps are measured against.
struct ReferenceLens
{
    bool undistortedToDistorted;
    /// k1, k2, k3 in mm: R(r) = (1 + k1 r^2 + k3 r^4) / (1 + k2 r^2).
    std::array<double, 3> k;
    /// a1, a2, a3: v(r) = 1 - (a1 r^2 + a2 r^4 + a3 r^6).
    std::array<double, 3> a;

    /// r R(r), with its slope.
    double forward(double r, double& slope) const
    {
        const double r2 = r * r;
        const double numerator = 1.0 + k[0] * r2 + k[2] * r2 * r2;
        const double denominator = 1.0 + k[1] * r2;
        slope = (numerator + r * (2.0 * k[0] * r + 4.0 * k[2] * r2 * r)) / denominator
            - r * numerator * 2.0 * k[1] * r / (denominator * denominator);
        return r * numerator / denominator;
    }
    /// The radius that forward maps to `target`, by Newton's method.
    double inverse(double target) const
    {
        double r = target;
        for (int step = 0; step < 50; ++step)
        {
            double slope = 0.0;
            const double change = (forward(r, slope) - target) / slope;
            r -= change;
            if (std::abs(change) <= 1e-13 * (1.0 + r))
            {
                break;
            }
        }
        return r;
    }
    double undistorted(double distorted) const
    {
        double slope = 0.0;
        return undistortedToDistorted ? inverse(distorted) : forward(distorted, slope);
    }
    double distorted(double undistorted) const
    {
        double slope = 0.0;
        return undistortedToDistorted ? forward(undistorted, slope) : inverse(undistorted);
    }
    double falloff(double r) const
    {
        const double t = r * r;
        return 1.0 - t * (a[0] + t * (a[1] + t * a[2]));
    }
};

struct SensorCase
{
    const char* name;
    double width; ///< mm
    double height;
    Size picture; ///< The active area in pixels, of the same aspect ratio.
    Size plate; ///< With an overscan margin where larger.
};

struct LensCase
{
    const char* name;
    bool undistortedToDistorted;
    /// k1, k2, k3 as fractions at the frame corner (k1 R^2, k2 R^2, k3 R^4), so that a lens is
    /// as strong on each sensor.
    std::array<double, 3> atCorner;
};

/// The largest distances between where an ST-map takes its pixels from and where the reference
/// does, in plate pixels.
struct MapError
{
    double insideCorner = 0.0; ///< Where the recorded radius is within the active area's corner.
    double anywhere = 0.0; ///< Wherever the output is taken wholly from the plate.
};

/// An ST-map against the reference lens. Output and plate share one pixel grid, the plate
/// centred in the output. `onCanvas`: the lens drawn as the library lays it on an enlarged
/// output, about the output's centre and with its half diagonal at the corner's undistorted
/// radius; else about the plate's centre at the plate's own millimetres per pixel.
MapError stMapError(const RgbaImage& map, const ReferenceLens& lens, const SensorCase& sensor,
    bool undistort, bool onCanvas)
{
    const Size plate = sensor.plate;
    const Size output = map.size;
    const double offsetX = (output.width - plate.width) / 2;
    const double offsetY = (output.height - plate.height) / 2;
    const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
    double mmPerPixelX = sensor.width / sensor.picture.width;
    double mmPerPixelY = sensor.height / sensor.picture.height;
    double centreX = offsetX + plate.width / 2.0 - 0.5;
    double centreY = offsetY + plate.height / 2.0 - 0.5;
    if (onCanvas)
    {
        const double plateCorner
            = 0.5 * std::hypot(plate.width * mmPerPixelX, plate.height * mmPerPixelY);
        mmPerPixelX = (undistort ? lens.undistorted(plateCorner) : plateCorner)
            / (0.5 * std::hypot(double(output.width), double(output.height)));
        mmPerPixelY = mmPerPixelX;
        centreX = output.width / 2.0 - 0.5;
        centreY = output.height / 2.0 - 0.5;
    }
    MapError error;
    for (uint32_t y = 0; y < output.height; ++y)
    {
        for (uint32_t x = 0; x < output.width; ++x)
        {
            const float* pixel = map.pixel(x, y);
            if (pixel[3] < 0.999f)
            {
                continue;
            }
            const double outX = (x - centreX) * mmPerPixelX;
            const double outY = (y - centreY) * mmPerPixelY;
            const double radius = std::hypot(outX, outY);
            const double source = radius == 0.0
                ? 0.0
                : (undistort ? lens.distorted(radius) : lens.undistorted(radius));
            const double scale = radius == 0.0 ? 1.0 : source / radius;
            const double sourceX = outX * scale / mmPerPixelX + centreX - offsetX;
            const double sourceY = outY * scale / mmPerPixelY + centreY - offsetY;
            const double mapX = pixel[0] * double(plate.width) - 0.5;
            const double mapY = (1.0 - pixel[1]) * double(plate.height) - 0.5;
            const double distance = std::hypot(mapX - sourceX, mapY - sourceY);
            error.anywhere = std::fmax(error.anywhere, distance);
            if ((undistort ? source : radius) <= corner)
            {
                error.insideCorner = std::fmax(error.insideCorner, distance);
            }
        }
    }
    return error;
}

/// The largest relative difference, in percent, of a gain map from 1 / v(r) within the active
/// area's corner.
double gainMapError(const RgbaImage& map, const ReferenceLens& lens, const SensorCase& sensor)
{
    const double mmPerPixelX = sensor.width / sensor.picture.width;
    const double mmPerPixelY = sensor.height / sensor.picture.height;
    const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
    double largest = 0.0;
    for (uint32_t y = 0; y < sensor.plate.height; ++y)
    {
        for (uint32_t x = 0; x < sensor.plate.width; ++x)
        {
            const double radius = std::hypot((x - sensor.plate.width / 2.0 + 0.5) * mmPerPixelX,
                (y - sensor.plate.height / 2.0 + 0.5) * mmPerPixelY);
            if (radius <= corner)
            {
                const double expected = 1.0 / lens.falloff(radius);
                largest = std::fmax(largest, std::abs(map.pixel(x, y)[0] / expected - 1.0) * 100.0);
            }
        }
    }
    return largest;
}

TEST_F(OpenTrackIoCorrection, MapsAgreeWithTheStandardsFormulasOverTheWholeFrame)
{
    const std::vector<SensorCase> sensors = {
        { "Super 35, 24.89 x 14 mm", 24.89, 14.0, { 1920, 1080 }, { 1920, 1080 } },
        { "36.7 x 25.5 mm", 36.7, 25.5, { 1920, 1334 }, { 1920, 1334 } },
        { "54 x 26 mm", 54.0, 26.0, { 1944, 936 }, { 1944, 936 } },
        { "Super 35, 10 % overscan", 24.89, 14.0, { 1920, 1080 }, { 2112, 1188 } },
    };
    const std::vector<LensCase> lenses = {
        { "moderate", false, { 0.03, 0.0, 0.0 } },
        { "wide", false, { 0.10, 0.01, 0.04 } },
        { "moderate", true, { -0.03, 0.0, 0.0 } },
        { "wide", true, { -0.10, 0.01, 0.01 } },
    };
    std::printf("| Sensor | Plate | Lens | Model | Undistort, px: inside / anywhere | "
                "On the canvas, px | Distort, px: inside / anywhere | Shading |\n"
                "|---|---|---|---|---|---|---|---|\n");
    for (const SensorCase& sensor : sensors)
    {
        const double corner = 0.5 * std::hypot(sensor.width, sensor.height);
        const double c2 = corner * corner;
        double gain = 0.0;
        for (const LensCase& lensCase : lenses)
        {
            SCOPED_TRACE(std::string(sensor.name) + ", " + lensCase.name
                + (lensCase.undistortedToDistorted ? " U-D" : " D-U"));
            const ReferenceLens lens { lensCase.undistortedToDistorted,
                { lensCase.atCorner[0] / c2, lensCase.atCorner[1] / c2,
                    lensCase.atCorner[2] / (c2 * c2) },
                { 0.3 / c2, -0.05 / (c2 * c2), 0.02 / (c2 * c2 * c2) } };
            char text[512];
            std::snprintf(text, sizeof text,
                R"({"static":{"camera":{"activeSensorPhysicalDimensions":{"width":%.17g,)"
                R"("height":%.17g},"activeSensorResolution":{"width":%u,"height":%u}}},)"
                R"("lens":{"distortion":[{"model":"%s","radial":[%.17g,%.17g,%.17g]}],)"
                R"("exposureFalloff":{"a1":%.17g,"a2":%.17g,"a3":%.17g}}})",
                sensor.width, sensor.height, sensor.picture.width, sensor.picture.height,
                lens.undistortedToDistorted ? "Brown-Conrady U-D" : "Brown-Conrady D-U", lens.k[0],
                lens.k[1], lens.k[2], lens.a[0], lens.a[1], lens.a[2]);
            // As a run reads them for its plate.
            const OpenTrackIoSamples samples(directory.writeFile("take.ndjson", text),
                SamplePlate { sensor.picture, overscanPercent(sensor.plate, sensor.picture) });
            const OpenTrackIoSample& sample = samples.samples().at(0);
            const auto corrector = [&](LensSettings settings)
            {
                settings.identity = { "", directory.path() + "/A001C001.mov" };
                if (sensor.plate != sensor.picture)
                {
                    settings.sizeWithoutOverscan = sensor.picture;
                }
                auto made = std::make_unique<FrameCorrector>(settings, sensor.plate);
                made->setFrameMetadata(sample.frameMetadata, sample.origin);
                return made;
            };

            LensSettings settings;
            settings.distortion = DistortionMode::undistort;
            const auto undistortion = corrector(settings);
            const RgbaImage undistorted = undistortion->stMap(0, undistortion->renderSize(0));
            const MapError onPlate = stMapError(undistorted, lens, sensor, true, false);
            const MapError onCanvas = stMapError(undistorted, lens, sensor, true, true);
            settings.distortion = DistortionMode::distort;
            const auto distortion = corrector(settings);
            const MapError distort = stMapError(
                distortion->stMap(0, distortion->renderSize(0)), lens, sensor, false, false);
            // Every lens of a sensor has the same falloff.
            if (&lensCase == &lenses.front())
            {
                settings.distortion.reset();
                settings.shading = ShadingMode::remove;
                gain = gainMapError(corrector(settings)->gainMap(0), lens, sensor);
            }

            std::printf("| %s | %ux%u | %s | %s | %.3f / %.3f | %.3f | %.3f / %.3f | %.4f %% |\n",
                sensor.name, sensor.plate.width, sensor.plate.height, lensCase.name,
                lens.undistortedToDistorted ? "U-D" : "D-U", onPlate.insideCorner, onPlate.anywhere,
                onCanvas.insideCorner, distort.insideCorner, distort.anywhere, gain);
            // The lens curves within the active area, and everywhere on the plate.
            EXPECT_LE(onCanvas.insideCorner, 0.1);
            EXPECT_LE(distort.insideCorner, 0.1);
            EXPECT_LE(onPlate.anywhere, 0.5);
            EXPECT_LE(distort.anywhere, 0.5);
            EXPECT_LE(gain, 0.1);
        }
    }
}

} // namespace
