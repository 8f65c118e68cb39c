// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/OpenTrackIoLosses.h"

#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

#include "Common/Failure.h"
#include "LensData/OpenTrackIoSamples.h"

namespace LensCorrect
{

namespace
{

    /// The largest value of one kind of loss over the samples, and where it first occurs.
    struct Tally
    {
        const char* what;
        double largest = 0.0;
        size_t count = 0;
        const OpenTrackIoSample* first = nullptr;

        void add(const OpenTrackIoSample& sample, double value)
        {
            largest = count == 0 ? value : std::fmax(largest, value);
            first = first ? first : &sample;
            ++count;
        }
    };

    std::string fixed(double value, int decimals)
    {
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        stream << std::fixed << std::setprecision(decimals) << value;
        return stream.str();
    }

} // namespace

std::vector<std::string> statedLosses(
    const std::vector<const OpenTrackIoSample*>& used, Size picture, bool strict)
{
    Tally tangential { "tangential distortion (p1, p2) is left out" };
    Tally centre { "the distortion centre off the image centre (distortionOffset + "
                   "projectionOffset) is left out" };
    Tally entries { "only the first of several lens.distortion entries is used" };
    for (const OpenTrackIoSample* sample : used)
    {
        if (sample->distortion.empty())
        {
            continue;
        }
        const BrownConrady& lens = sample->distortion.front();
        // The frame's corners on the sample's sensor, mm, with the picture spanning its width.
        const double pixelsPerMm = picture.width / sample->sensorWidth;
        const double cornerX = 0.5 * sample->sensorWidth;
        const double cornerY = picture.width == 0 ? 0.0 : cornerX * picture.height / picture.width;
        const double cornerRadius = std::hypot(cornerX, cornerY);
        double tangentialShift = 0.0;
        double centreShift = 0.0;
        for (const double x : { -cornerX, cornerX })
        {
            for (const double y : { -cornerY, cornerY })
            {
                const double r2 = x * x + y * y;
                tangentialShift = std::fmax(tangentialShift,
                    std::hypot(2.0 * lens.p1 * x * y + lens.p2 * (r2 + 2.0 * x * x),
                        2.0 * lens.p2 * x * y + lens.p1 * (r2 + 2.0 * y * y)));
                // Undistorted about the true centre against undistorted about the image centre.
                const double qx = x - sample->centreX;
                const double qy = y - sample->centreY;
                const double aboutCentre = lens.undistortedRatio(std::hypot(qx, qy));
                const double aboutMiddle = lens.undistortedRatio(std::sqrt(r2));
                centreShift = std::fmax(centreShift,
                    std::hypot(sample->centreX + qx * aboutCentre - x * aboutMiddle,
                        sample->centreY + qy * aboutCentre - y * aboutMiddle));
            }
        }
        if (lens.p1 != 0.0 || lens.p2 != 0.0)
        {
            tangential.add(*sample, tangentialShift * pixelsPerMm);
        }
        if (sample->centreX != 0.0 || sample->centreY != 0.0)
        {
            centre.add(*sample, centreShift * pixelsPerMm);
        }
        if (sample->distortion.size() > 1)
        {
            double difference = 0.0;
            for (size_t i = 1; i < sample->distortion.size(); ++i)
            {
                difference = std::fmax(difference,
                    std::abs(sample->distortion[i].undistortedRatio(cornerRadius)
                        - lens.undistortedRatio(cornerRadius)));
            }
            entries.add(*sample, difference * cornerRadius * pixelsPerMm);
        }
    }

    std::vector<std::string> lines;
    for (const Tally* tally : { &tangential, &centre, &entries })
    {
        if (tally->count == 0)
        {
            continue;
        }
        const std::string amount = "up to " + fixed(tally->largest, 2) + " px at the frame corner";
        if (strict)
        {
            throw Failure(
                tally->first->origin + " cannot be corrected exactly: " + tally->what + ".",
                "Displacement: " + amount
                    + "\nHint: without --strict the radial part is corrected and the loss "
                      "reported");
        }
        lines.push_back("OpenTrackIO: " + std::string(tally->what) + ", " + amount + ", in "
            + std::to_string(tally->count) + " of " + std::to_string(used.size())
            + " samples (the first at " + tally->first->where + ").");
    }
    return lines;
}

} // namespace LensCorrect
