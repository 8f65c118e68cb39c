// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// lenscorrect's reader of OpenTrackIO samples: NDJSON lines or a JSON array, static blocks
// carried forward field by field, each sample converted to the library's frame JSON, and the
// matching of plate frames to samples by time. The input is the file; its first byte also picks
// the plate (none, a plate, a plate with overscan) and the plate's rate. Only Failure may be
// thrown; every result must hold up.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Common/Failure.h"
#include "Correction/LensDataSource.h"
#include "LensData/OpenTrackIoLosses.h"
#include "LensData/OpenTrackIoSamples.h"
#include "LensData/OpenTrackIoTiming.h"

using namespace LensCorrect;

namespace
{

void require(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

void match(const OpenTrackIoSamples& samples, float plateRate)
{
    try
    {
        const OpenTrackIoTiming timing(samples, plateRate, "from the files", true, true);
        require(!timing.description().empty());
        for (uint32_t clipFrame = 0; clipFrame < 4; ++clipFrame)
        {
            const FoundSample found = timing.atClipFrame(1001, clipFrame, "");
            require(!found.sample != !found.failure);
        }
        for (const OpenTrackIoSample& sample : samples.samples())
        {
            if (sample.timecode)
            {
                const FoundSample found
                    = timing.atLabel(1001, sample.timecode->timecode, sample.timecode->dropFrame);
                require(!found.sample != !found.failure);
            }
        }
        timing.atClipFrame(1001, 7, "01:00:00:00");
    }
    catch (const Failure&)
    {
    }
}

void check(const OpenTrackIoSamples& samples)
{
    require(!samples.samples().empty());
    std::vector<const OpenTrackIoSample*> all;
    for (const OpenTrackIoSample& sample : samples.samples())
    {
        all.push_back(&sample);
        require(sample.frameMetadata.size() <= maximumLibraryTextLength);
        require(sample.radiusScale > 0.0 && std::isfinite(sample.radiusScale));
        // A sample at the start of its frame is found by that frame's moment, or an earlier
        // sample of the same moment is.
        if (sample.timecode && sample.timecode->subFrame == 0)
        {
            const std::optional<Moment> moment = momentOf(
                sample.timecode->timecode, sample.timecode->rate, sample.timecode->dropFrame);
            require(moment.has_value());
            const OpenTrackIoSample* found = samples.atMoment(*moment);
            require(found != nullptr && found <= &sample);
        }
        OpenTrackIoSamples::unusable(sample, true, true);
    }
    statedLosses(all, { 1920, 1080 }, false);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const uint8_t choice = size > 0 ? data[0] : 0;
    std::optional<SamplePlate> plate;
    if (choice % 3 != 0)
    {
        plate = SamplePlate { { 1920, 1080 }, choice % 3 == 2 ? 10.0f : 0.0f };
    }
    const float rates[] = { 0.0f, 25.0f, 24.0f, 29.97f, 50.0f };
    try
    {
        const OpenTrackIoSamples samples = OpenTrackIoSamples::fromText(text, "fuzz.ndjson", plate);
        check(samples);
        match(samples, rates[(choice / 3) % 5]);
    }
    catch (const Failure&)
    {
    }
    return 0;
}
