// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The dry run and the frame mapping document: every frame's record, status and corner values.
#include <algorithm>
#include <iostream>

#include <OpenImageIO/imageio.h>

#include "LensData/CornerValues.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Mapping/MappingDocument.h"
#include "Plate/InputClip.h"
#include "Run/ClipRunSteps.h"
#include "Run/JobPlan.h"
#include "Run/MappingListing.h"

namespace LensCorrect::ClipRunning
{

std::map<int, Failure> Run::checkHeaders(const std::vector<Job>& jobs) const
{
    std::map<int, Failure> failures;
    if (isMovie(spec))
    {
        return failures;
    }
    for (const Job& job : jobs)
    {
        const auto image = OIIO::ImageInput::open(job.frame.path);
        const std::vector<OIIO::ImageSpec> parts
            = image ? imageParts(*image) : std::vector<OIIO::ImageSpec>();
        if (parts.empty())
        {
            const std::string reason = image ? image->geterror() : OIIO::geterror();
            failures.emplace(job.frame.number,
                Failure("The frame cannot be read.",
                    "Path: \"" + job.frame.path + "\"\nReason: " + reason));
            continue;
        }
        try
        {
            kind->check(job.frame, parts);
        }
        catch (const Failure& failure)
        {
            failures.emplace(job.frame.number, failure);
        }
    }
    return failures;
}

ExitStatus Run::dryRun(const std::vector<Job>& jobs)
{
    const std::map<int, Failure> headerFailures = checkHeaders(jobs);
    for (const auto& [number, failure] : headerFailures)
    {
        report.fail(number, failure);
    }
    const MappingListing listing(jobs, *plate, *lensData);
    for (const std::string& line : listing.frameLines())
    {
        report.say(line);
    }
    if (!options.json.empty())
    {
        canvas.emplace(bool(options.distortion), options.keepSize, picture, frames, jobs, *lensData,
            *corrector);
        documentRun.output = options.keepSize ? picture : canvas->size();
        writeDocument(documentFrames(jobs, headerFailures), std::nullopt);
    }
    report.say(std::string("lenscorrect: dry run, nothing written; ")
        + (listing.complete() ? "every frame finds its lens data"
                              : "some frames find no lens data"));
    return listing.complete() && report.failedFrames().empty() ? succeeded : failed;
}

void Run::describeLensData()
{
    documentRun.lensDataPath = lensData->path();
    documentRun.clipName = clipName.name;
    documentRun.clipNameSource = clipName.source;
    if (options.openTrackIo.empty() && options.correctionFile.empty())
    {
        documentRun.clipFile = identity.clipFilePath;
    }
    if (const OpenTrackIoSamples* samples = lensData->samples())
    {
        for (const OpenTrackIoSample& sample : samples->samples())
        {
            if (sample.timecode && sample.timecode->rateDenominator > 0)
            {
                documentRun.lensDataFramesPerSecond = float(sample.timecode->rateNumerator)
                    / float(sample.timecode->rateDenominator);
                break;
            }
        }
    }
    else if (const float rate = lensData->header().tcFps; rate > 0.0f)
    {
        documentRun.lensDataFramesPerSecond = rate;
    }
    if (options.framesPerSecond > 0.0f)
    {
        documentRun.framesPerSecond = options.framesPerSecond;
        documentRun.framesPerSecondSource = "--fps";
    }
    else if (plate && !frames.frames.empty()
        && plate->frame(frames.frames.front().number).framesPerSecond > 0.0f)
    {
        documentRun.framesPerSecond = plate->frame(frames.frames.front().number).framesPerSecond;
        documentRun.framesPerSecondSource = "files";
    }
}

std::vector<MappingFrame> Run::documentFrames(
    const std::vector<Job>& jobs, const std::map<int, Failure>& headerFailures)
{
    // Frames that take one record take one correction: each record is measured once.
    std::map<std::string, CornerValues> measured;
    std::map<std::string, Failure> refusedRecords;
    std::vector<MappingFrame> documented;
    const MappingListing listing(jobs, *plate, *lensData);
    for (const MappingListing::Entry& entry : listing.frames())
    {
        MappingFrame frame;
        frame.number = entry.job->frame.number;
        frame.file = entry.job->frame.path;
        frame.timecode = entry.facts->timecode;
        // A frame the run cannot read or take as one of the plate's is refused, whatever
        // its record.
        const auto header = headerFailures.find(frame.number);
        if (header != headerFailures.end())
        {
            frame.status = MappingStatus::refused;
            frame.failure = header->second;
            if (entry.found)
            {
                frame.record = entry.record;
            }
            documented.push_back(std::move(frame));
            continue;
        }
        if (!entry.found)
        {
            frame.status = entry.refused ? MappingStatus::refused : MappingStatus::noLensData;
            frame.failure = entry.failure;
            documented.push_back(std::move(frame));
            continue;
        }
        frame.record = entry.record;
        if (entry.job->lens.failure)
        {
            frame.status = MappingStatus::refused;
            frame.failure = entry.job->lens.failure;
            documented.push_back(std::move(frame));
            continue;
        }
        const std::string& record = entry.record.name;
        if (!measured.count(record) && !refusedRecords.count(record))
        {
            try
            {
                lensData->apply(*corrector, entry.job->lens);
                measured.emplace(record,
                    measureCorner(*corrector, entry.job->lens.key.value_or(LensDataKey {}), picture,
                        bool(options.shading), bool(options.distortion)));
            }
            catch (const Failure& failure)
            {
                refusedRecords.emplace(record, failure);
            }
        }
        const auto refusal = refusedRecords.find(record);
        if (refusal != refusedRecords.end())
        {
            frame.status = MappingStatus::refused;
            frame.failure = refusal->second;
            if (options.dryRun)
            {
                report.fail(frame.number, refusal->second);
            }
        }
        else
        {
            frame.corner = measured.at(record);
        }
        documented.push_back(std::move(frame));
    }
    for (const int number : missingFrames(options, frames))
    {
        MappingFrame frame;
        frame.number = number;
        frame.status = MappingStatus::missing;
        frame.failure = Failure("The frame's file is missing from the sequence.",
            "Input: \"" + frames.inputName + "\"\nFrame: " + std::to_string(number));
        documented.push_back(std::move(frame));
    }
    std::stable_sort(documented.begin(), documented.end(),
        [](const MappingFrame& a, const MappingFrame& b) { return a.number < b.number; });
    return documented;
}

void Run::writeDocument(
    const std::vector<MappingFrame>& documented, const std::optional<Failure>& failure)
{
    documentWritten = true;
    writeMappingDocument(
        options.json, mappingDocument(documentRun, documented, failure), std::cout);
}

} // namespace LensCorrect::ClipRunning
