// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "RecordingFormatDatabase/RecordingFormat.h"
#include "Timecode/Timecode.h"
#include "lenscorrect/OpenTrackIoLosses.h" // statedLosses, for the callers of the samples

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

/// `timing.timecode` of a sample.
struct OpenTrackIoTimecode
{
    Timecode::Timecode timecode; ///< Its label at rateNumerator / rateDenominator.
    uint32_t rateNumerator = 0;
    uint32_t rateDenominator = 1;
    bool dropFrame = false;
    uint32_t subFrame = 0;
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

    // Where the sample does not fit the library's radial model, for the stated losses.
    std::vector<BrownConrady> distortion; ///< Every entry; the first is the one converted.
    double centreX = 0.0; ///< Distortion centre from the image centre, mm, x right.
    double centreY = 0.0; ///< y down.
    double sensorWidth = 0.0; ///< Active sensor area, mm.
    /// Sample millimetres per library millimetre: not 1 where the recording format's image
    /// radius differs from the sample's.
    double radiusScale = 1.0;
};

/// The samples of an OpenTrackIO file: one JSON sample per line (NDJSON, blank lines skipped) or
/// a JSON array of samples, each converted to the library's frame JSON. The last `static` block
/// is carried forward to the samples without one.
class OpenTrackIoSamples
{
public:
    /// Reads and converts every sample; throws Failure naming the file and the sample for an
    /// unreadable file, a malformed sample, one before any `static` block or without
    /// `lens.distortion`. `recordingFormat`: a format the library is told instead of the
    /// samples' own; the conversion scales its radii to the samples' millimetres.
    explicit OpenTrackIoSamples(const std::string& path,
        const std::optional<RecordingFormatDatabase::RecordingFormat>& recordingFormat
        = std::nullopt);

    const std::string& path() const { return filePath; }
    const std::vector<OpenTrackIoSample>& samples() const { return all; }

    /// The sample labelled with `timecode` at its rate (rates within 0.01 frames per second
    /// agree; rate 0 agrees with any); of several, the first of sub-frame 0. Null when none.
    const OpenTrackIoSample* atTimecode(const Timecode::Timecode& timecode) const;
    /// The sample at a position in the file, counted from 0; null past the end.
    const OpenTrackIoSample* atPosition(size_t position) const;

private:
    std::string filePath;
    std::vector<OpenTrackIoSample> all;
    std::multimap<std::string, size_t> byTimecode;
};

} // namespace LensCorrect
