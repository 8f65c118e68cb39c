// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Common/Failure.h"
#include "Common/FrameGeometry.h"
#include "Timecode/Timecode.h"

namespace LensCorrect
{

/// One entry of a sample's `lens.distortion`: Brown-Conrady coefficients in millimetres on the
/// sensor, about the distortion centre.
struct BrownConrady
{
    /// "Brown-Conrady U-D": the coefficients map undistorted radii to distorted ones.
    bool undistortedToDistorted = false;
    /// k1 ... k6: the odd ones in the numerator, the even ones in the denominator.
    std::vector<double> radial;
    double p1 = 0.0;
    double p2 = 0.0;

    /// The undistorted radius over the distorted radius `r` (mm); NaN where the mapping has no
    /// solution there.
    double undistortedRatio(double r) const;
};

/// A frame rate as an exact fraction, so that rates are compared without rounding.
struct FrameRate
{
    uint32_t numerator = 0;
    uint32_t denominator = 1;

    /// The rate a number of frames per second stands for: a whole rate, a whole rate times
    /// 1000/1001 (23.976, 29.97, 59.94) within 0.01, or else thousandths. None for no rate (0,
    /// below, not a number) or one beyond 10000.
    static std::optional<FrameRate> of(double framesPerSecond);
    /// "25", "29.97", "23.976".
    std::string text() const;
    /// The frames a second of timecode labels counts: 30 for 29.97.
    uint32_t labelsPerSecond() const;
};

/// A moment in seconds as a reduced fraction: equal moments have equal members.
using Moment = std::pair<uint64_t, uint64_t>;

/// Frames from 00:00:00:00 to the label `timecode` at `rate`, dropping labels when `dropFrame`
/// is set (29.97 and 59.94 only); none for a label that the rate does not have (a frame field
/// beyond the rate, a dropped label, a million hours or more).
std::optional<uint64_t> labelCount(
    const Timecode::Timecode& timecode, FrameRate rate, bool dropFrame);
/// The moment at which frame `count` from 00:00:00:00 starts at `rate`.
Moment momentAt(uint64_t count, FrameRate rate);
/// The moment at which the frame labelled `timecode` starts; none as for labelCount.
std::optional<Moment> momentOf(const Timecode::Timecode& timecode, FrameRate rate, bool dropFrame);

/// `timing.timecode` of a sample.
struct OpenTrackIoTimecode
{
    Timecode::Timecode timecode; ///< Its label at rateNumerator / rateDenominator.
    uint32_t rateNumerator = 0;
    uint32_t rateDenominator = 1;
    bool dropFrame = false;
    uint32_t subFrame = 0;
    /// The rate the fraction stands for (FrameRate::of).
    FrameRate rate;
};

/// One sample converted: the library's frame JSON and what a run reports about it.
struct OpenTrackIoSample
{
    std::string where; ///< "line 3" (NDJSON) or "array position 3".
    std::string origin; ///< The sample and its file, for failures and provenance.
    std::optional<OpenTrackIoTimecode> timecode;
    std::optional<double> focalLength; ///< mm (`lens.pinholeFocalLength`).
    std::optional<double> focusDistance; ///< m (`lens.focusDistance`).
    /// The frame's lens data as the library reads it from a data source's frame metadata.
    std::string frameMetadata;

    /// Every `lens.distortion` entry; the first is the one converted. None: the frame has no
    /// distortion data (its frame JSON says no distortion).
    std::vector<BrownConrady> distortion;
    /// Why the exposure falloff cannot shade the frame; empty when it can.
    std::string shadingProblem;

    // Where the sample does not fit the library's radial model, for the stated losses.
    double centreX = 0.0; ///< Distortion centre from the image centre, mm, x right.
    double centreY = 0.0; ///< y down.
    double sensorWidth = 0.0; ///< Active sensor area, mm.
    /// Sample millimetres per unit of the library's radii: the plate's corner lies at 21.4.
    double radiusScale = 1.0;
};

/// The plate that samples are converted for.
struct SamplePlate
{
    /// Without an overscan margin: the camera's resolution where a sample names none.
    Size picture;
    /// How far the plate's corner lies beyond the picture's, in percent of its radius.
    float overscanPercent = 0.0f;
};

/// The samples of an OpenTrackIO file: one JSON sample per line (NDJSON, blank lines skipped) or
/// a JSON array of samples, each converted to the library's frame JSON. A `static` block
/// carries forward field by field to the samples that follow.
class OpenTrackIoSamples
{
public:
    /// Reads and converts every sample for `plate` (none: a camera must name its resolution,
    /// and there is no overscan); throws Failure naming the file and the sample for an
    /// unreadable file, a malformed sample, one before any camera, or a camera whose pixels are
    /// not square.
    explicit OpenTrackIoSamples(
        const std::string& path, const std::optional<SamplePlate>& plate = std::nullopt);
    /// The same from the file's text, named `path` in messages.
    static OpenTrackIoSamples fromText(std::string text, const std::string& path,
        const std::optional<SamplePlate>& plate = std::nullopt);

    const std::string& path() const { return filePath; }
    const std::vector<OpenTrackIoSample>& samples() const { return all; }

    /// The first sample at sub-frame 0 that starts at `moment`; null when none.
    const OpenTrackIoSample* atMoment(const Moment& moment) const;
    /// The sample at a position in the file, counted from 0; null past the end.
    const OpenTrackIoSample* atPosition(size_t position) const;
    /// Whether any sample carries a sub-frame other than 0.
    bool hasSubFrames() const { return subFrames; }

    /// Why `sample` cannot give a frame the corrections asked for; none when it can.
    static std::optional<Failure> unusable(
        const OpenTrackIoSample& sample, bool shading, bool distortion);

private:
    struct FromText
    {
    };
    OpenTrackIoSamples(
        FromText, std::string text, std::string path, const std::optional<SamplePlate>& plate);

    std::string filePath;
    std::vector<OpenTrackIoSample> all;
    std::map<Moment, size_t> byMoment;
    bool subFrames = false;
};

} // namespace LensCorrect
