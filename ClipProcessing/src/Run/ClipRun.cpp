// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// One run over one clip from start to end: the options checked, the clip identified, its frames
// mapped to lens data, then a plan, a dry run or the frames processed.
#include "Run/ClipRun.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "Common/TextHelpers.h"
#include "Correction/CorrectorSettings.h"
#include "LensData/OpenTrackIoConversion.h"
#include "LensData/OpenTrackIoLosses.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Mapping/FrameMapping.h"
#include "Plate/ClipName.h"
#include "Run/ClipRunSteps.h"
#include "Run/JobPlan.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

namespace ClipRunning
{

    void Run::checkOptions() const
    {
        if (!options.shading && !options.distortion)
        {
            throw Failure("No correction was asked for.",
                "Hint: add --shading remove|add, --distortion undistort|distort, or both");
        }
        if (options.output.empty() && options.stMap.empty() && options.gainMap.empty()
            && options.preview.empty() && !options.dryRun)
        {
            throw Failure("No output was asked for.",
                "Hint: add -o PATTERN, --stmap PATTERN, --gain-map PATTERN or --preview FILE");
        }
        if (!options.stMap.empty() && !options.distortion)
        {
            throw Failure("An ST-map describes a distortion correction: add --distortion.");
        }
        if (!options.gainMap.empty() && !options.shading)
        {
            throw Failure("A gain map describes a shading correction: add --shading.");
        }
        if (!options.json.empty() && (!options.plan.empty() || !options.writePlan.empty()))
        {
            throw Failure("The frame mapping is written for a whole clip, not with a plan.",
                "Hint: run --dry-run --json on the clip where the plan is written");
        }
    }

    ExitStatus Run::execute()
    {
        if (options.json.empty())
        {
            return executeSteps();
        }
        documentRun.dryRun = options.dryRun;
        documentRun.input = options.input;
        std::error_code ignored;
        documentRun.directory = fs::current_path(ignored).string();
        documentRun.options = ClipPlan::settingsOf(options);
        documentRun.shading = options.shading;
        documentRun.distortion = options.distortion;
        documentRun.keepSize = options.keepSize;
        documentRun.samples = !options.openTrackIo.empty();
        documentRun.lensDataFoundBy = !options.openTrackIo.empty() ? "--opentrackio"
            : !options.correctionFile.empty()                      ? "--correction-file"
                                                                   : "search around the clip";
        std::optional<Failure> failure;
        try
        {
            return executeSteps();
        }
        catch (const Failure& thrown)
        {
            failure = thrown;
        }
        catch (const std::exception& exception)
        {
            failure = Failure(exception.what());
        }
        // A pipeline reads why the run stopped from the document too.
        if (!documentWritten)
        {
            try
            {
                writeDocument({}, failure);
            }
            catch (const Failure&)
            {
                // The run's own failure is the one to report.
            }
        }
        throw *failure;
    }

    ExitStatus Run::executeSteps()
    {
        const auto start = std::chrono::steady_clock::now();
        checkOptions();
        std::optional<InputClip> clip;
        if (options.plan.empty())
        {
            clip.emplace(options.input);
            kind.emplace(options, *clip);
            spec = clip->firstSpec();
            plateFormat = clip->formatName();
            frames.inputName = clip->name();
            frames.frames = clip->frames();
            inputFiles = clip->files();
        }
        else
        {
            readPlan();
        }
        const PicturePlace& place = kind->place();
        picture = place.picture.size;
        FrameGeometry::checkFrameSize(picture, "input frame");
        withoutOverscan = plan ? plan->withoutOverscan : place.withoutOverscan;
        documentRun.picture = picture;
        documentRun.sizeWithoutOverscan = withoutOverscan;

        if (plan)
        {
            identifyPlannedClip();
        }
        else
        {
            identifyClip(*clip);
        }
        LensSettings settings = lensSettings(options);
        settings.identity = identity;
        settings.sizeWithoutOverscan = withoutOverscan;
        if (lensData->samples() && settings.manualRecordingFormat)
        {
            // The samples' values are spread over the plate, whose corner lies at the same
            // radius in any recording format the library is told.
            settings.manualRecordingFormat = OpenTrackIo::inLibraryUnits(
                *settings.manualRecordingFormat, overscanPercent(picture, withoutOverscan));
        }
        corrector = std::make_unique<FrameCorrector>(settings, picture);
        if (const OpenTrackIoSamples* samples = lensData->samples())
        {
            MappedFrame first;
            first.sample = &samples->samples().front();
            lensData->apply(*corrector, first);
        }
        const std::string inRecording = corrector->checkLensData();
        if (!options.json.empty())
        {
            describeLensData();
        }
        if (plan)
        {
            mappingDescription = plan->mapping;
            for (const PlannedFrame& planned : plan->frames)
            {
                frames.lens.emplace(
                    planned.frame.number, ClipPlan::mapped(planned, lensData->samples()));
            }
        }
        else
        {
            const FrameMapping mapping(options, *clip, *plate, *lensData);
            mappingDescription = mapping.description();
            mappingRemarks = mapping.remarks();
            documentRun.rule = mapping.rule();
            documentRun.mapping = mappingDescription;
            documentRun.remarks = mappingRemarks;
            for (const InputFrame& frame : frames.frames)
            {
                frames.lens.emplace(frame.number, mapping.frame(frame.number));
            }
        }
        if (!options.quiet || options.dryRun)
        {
            if (plan)
            {
                report.say("lenscorrect: plan " + options.plan + " of "
                    + std::to_string(plan->numbers.size()) + " frames");
            }
            report.say("lenscorrect: " + mappingDescription);
            for (const std::string& remark : mappingRemarks)
            {
                report.say("lenscorrect: " + remark);
            }
            report.say("lenscorrect: lens data " + lensData->path() + " for clip "
                + shownClipName(clipName, identity.clipFilePath)
                + (clipName.fromPlate ? " (from " + clipName.source + ")" : "")
                + (withoutOverscan && !options.sizeWithoutOverscan ? "; picture without overscan "
                            + sizeText(*withoutOverscan) + " from the display window"
                                                                   : "")
                + (place.data != place.picture ? "; picture " + sizeText(picture)
                            + " from the display window, each frame's data window at its place "
                              "in it"
                                               : ""));
            if (!inRecording.empty())
            {
                report.say("lenscorrect: " + inRecording);
            }
        }
        if (!options.writePlan.empty())
        {
            return writePlan();
        }

        // A dry run lists every frame it can, the missing ones said.
        RunSettings planning = options;
        planning.keepGoing = planning.keepGoing || options.dryRun;
        std::vector<Job> jobs = planJobs(planning, frames, report);
        if (lensData->samples())
        {
            std::vector<const OpenTrackIoSample*> used;
            for (const Job& job : jobs)
            {
                if (job.lens.sample)
                {
                    used.push_back(job.lens.sample);
                }
            }
            for (const std::string& line : statedLosses(used, picture, options.strict))
            {
                report.say("lenscorrect: " + line);
                documentRun.remarks.push_back(line);
            }
        }
        if (options.dryRun)
        {
            return dryRun(jobs);
        }
        checkPartsFit(jobs);
        prepareOutputs(options, inputFiles, jobs);
        if (!plan)
        {
            canvas.emplace(bool(options.distortion), options.keepSize, picture, frames, jobs,
                *lensData, *corrector);
        }
        else
        {
            canvas.emplace(options.distortion && !options.keepSize ? plan->canvas : picture);
        }
        if (!options.json.empty())
        {
            // The mapping as the run begins: what it will apply to each frame.
            documentRun.output = options.keepSize ? picture : canvas->size();
            writeDocument(documentFrames(jobs, checkHeaders(jobs)), std::nullopt);
        }

        const ExitStatus status = process(jobs);
        const std::vector<int> failedFrames = report.failedFrames();
        if (!failedFrames.empty())
        {
            report.say("lenscorrect: " + std::to_string(failedFrames.size()) + " frame"
                + (failedFrames.size() == 1 ? "" : "s")
                + " failed: " + RunReport::rangesText(failedFrames));
            return failed;
        }
        if (status != succeeded)
        {
            return status;
        }
        if (!options.quiet)
        {
            const double seconds
                = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            char timing[64];
            std::snprintf(timing, sizeof(timing), " in %.1f s", seconds);
            report.say("lenscorrect: " + std::to_string(written.load()) + " frame"
                + (written == 1 ? "" : "s") + " written" + timing);
        }
        return succeeded;
    }

} // namespace ClipRunning

ExitStatus runClip(const RunSettings& options, std::ostream& messages, bool terminal,
    const std::atomic<bool>& stop)
{
    try
    {
        return ClipRunning::Run(options, messages, terminal, stop).execute();
    }
    catch (const Failure& failure)
    {
        messages << "lenscorrect: " << failure.detailed() << std::flush;
    }
    catch (const std::exception& exception)
    {
        messages << "lenscorrect: " << exception.what() << "\n" << std::flush;
    }
    return failed;
}

} // namespace LensCorrect
