// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The run's frames read, corrected and written on three threads, and the outputs already there.
#include "Common/TextHelpers.h"
#include "Image/FrameMemory.h"
#include "Output/FrameWriter.h"
#include "Output/OutputCheck.h"
#include "Output/Preview.h"
#include "Plate/ClipName.h"
#include "Plate/PlateReader.h"
#include "Run/ClipRunSteps.h"
#include "Run/FramePipeline.h"
#include "Run/JobPlan.h"
#include "Run/MappingListing.h"

namespace LensCorrect::ClipRunning
{

namespace
{

    // One frame being read, one corrected, one written: every thread busy, and no frame's
    // buffers held only to wait.
    constexpr size_t framesInFlight = 3;

} // namespace

/// Refuses, before any work, an output format that cannot hold every part of the frames.
void Run::checkPartsFit(const std::vector<Job>& jobs) const
{
    const size_t parts = kind->parts().size();
    if (parts == 1 || jobs.empty() || jobs.front().output.empty()
        || FrameWriter::holdsParts(jobs.front().output))
    {
        return;
    }
    throw Failure("The output format cannot hold every part of the plate's frames.",
        "Output: \"" + options.output + "\"\nParts: " + std::to_string(parts)
            + "\nHint: write a format that holds several parts in one file, such as EXR");
}

std::string Run::whyNotWritten(const Job& job, OutputKind kind, const std::string& path) const
{
    ExpectedOutput expected;
    try
    {
        expected.provenance = frameStages->provenance(job.lens);
    }
    catch (const Failure&)
    {
        return "cannot be checked: the frame finds no lens data";
    }
    const Size outputSize = options.keepSize ? picture : canvas->size();
    switch (kind)
    {
    case OutputKind::frame:
        expected.size = outputSize;
        expected.channels = spec.nchannels;
        break;
    case OutputKind::stMap:
        expected.size = outputSize;
        expected.channels = 4;
        break;
    case OutputKind::gainMap:
        expected.size = picture;
        expected.channels = 4;
        break;
    }
    return LensCorrect::whyNotWritten(path, expected);
}

/// Reads, corrects and writes the jobs on three threads.
ExitStatus Run::process(std::vector<Job>& jobs)
{
    size_t groups = 0;
    for (const PartKind& part : kind->parts())
    {
        groups += part.layout.groups();
    }
    // The largest frame any stage holds: the canvas is at least the picture.
    const Size largest = canvas->size();
    FrameMemory::check(FrameMemory::needed(largest, groups, framesInFlight),
        FrameMemory::available(), largest, framesInFlight);
    // Each frame's groups and one copy a stage makes.
    pool.emplace(framesInFlight * (groups + 1), largest);
    frameStages.emplace(options, picture, *canvas, *corrector, *lensData, *kind, plateFormat,
        shownClipName(clipName, identity.clipFilePath), &*pool);
    std::vector<int> skipped;
    std::vector<std::pair<int, std::string>> redone;
    const std::vector<Job> work = unfinishedJobs(
        options, jobs,
        [this](const Job& job, OutputKind kind, const std::string& path)
        { return whyNotWritten(job, kind, path); },
        skipped, redone);

    const size_t parts = kind->parts().size();
    if (!options.quiet)
    {
        report.say("lenscorrect: " + std::to_string(jobs.size()) + " frame"
            + (jobs.size() == 1 ? "" : "s") + " of \"" + frames.inputName + "\" ("
            + sizeText(picture) + ", "
            + (parts > 1 ? std::to_string(parts) + " parts, the first " : std::string())
            + std::to_string(spec.nchannels) + " channels, " + spec.format.c_str() + ", "
            + kind->parts().front().colour.colorSpace() + "), output "
            + sizeText(options.keepSize ? picture : canvas->size())
            + (skipped.empty() ? "" : ", " + std::to_string(skipped.size()) + " already written"));
        if (plate)
        {
            for (const std::string& line : MappingListing(jobs, *plate, *lensData).summaryLines())
            {
                report.say("lenscorrect: " + line);
            }
        }
    }
    // Said even when quiet: a frame someone else left damaged is worth knowing about.
    for (const auto& [number, reason] : redone)
    {
        report.say(
            "lenscorrect: frame " + std::to_string(number) + ": " + reason + "; rendered again");
    }
    report.startProgress(jobs.size(), terminal, options.quiet);
    for (const int number : skipped)
    {
        report.progress().frameDone(number, "exists, skipped");
    }

    PlateReader plates(spec, *kind, &*pool);
    FramePipeline<Job, Decoded, Rendered> pipeline(framesInFlight);
    typename FramePipeline<Job, Decoded, Rendered>::Stages stages;
    stages.keepReading = [&] { return !report.halted() && !stop; };
    stages.read = [&](const Job& job)
    {
        Decoded item { job, {}, {} };
        try
        {
            item.plate = plates.read(job.frame);
        }
        catch (const Failure& failure)
        {
            item.failure = failure;
        }
        catch (const std::exception& exception)
        {
            item.failure = Failure("The frame cannot be read.",
                "Path: \"" + job.frame.path + "\"\nReason: " + exception.what());
        }
        return item;
    };
    stages.keepRendering = [&] { return !report.halted(); };
    stages.render = [&](Decoded& item) { return frameStages->render(item); };
    stages.isLast
        = [&](const Rendered& item) { return item.failure.has_value() && !options.keepGoing; };
    stages.write = [&](Rendered& item)
    {
        // Whatever happens to it, the frame's buffers serve the next.
        struct Recycle
        {
            FrameStages& stages;
            Rendered& item;
            ~Recycle() { stages.recycle(item); }
        } recycle { *frameStages, item };
        const bool wasSkipped
            = item.job.output.empty() && item.job.stMap.empty() && item.job.gainMap.empty();
        if (report.halted())
        {
            return;
        }
        if (item.failure)
        {
            report.fail(item.job.frame.number, *item.failure);
            return;
        }
        try
        {
            frameStages->write(item);
            if (!wasSkipped)
            {
                ++written;
                report.progress().frameDone(item.job.frame.number,
                    item.job.output.empty() ? "maps written" : item.job.output);
            }
        }
        catch (const std::exception& exception)
        {
            const Failure* failure = dynamic_cast<const Failure*>(&exception);
            report.fail(item.job.frame.number,
                failure ? *failure
                        : Failure("The frame cannot be written.",
                            std::string("Reason: ") + exception.what()));
        }
    };
    pipeline.run(work, stages);
    report.progress().finish();

    if (frameStages->previewBefore() && frameStages->previewAfter())
    {
        try
        {
            writePreview(
                options.preview, *frameStages->previewBefore(), *frameStages->previewAfter());
            report.say("lenscorrect: preview of frame "
                + std::to_string(options.previewFrame.value_or(jobs.front().frame.number))
                + " written to " + options.preview);
        }
        catch (const Failure& failure)
        {
            report.say("lenscorrect: " + failure.detailed());
            report.addFailed({ jobs.front().frame.number });
        }
    }
    if (stop && written + skipped.size() < jobs.size() && report.failedFrames().empty())
    {
        report.say("lenscorrect: interrupted after " + std::to_string(written)
            + " frames; run again with --skip-existing to complete it");
        return interrupted;
    }
    return succeeded;
}

} // namespace LensCorrect::ClipRunning
