// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/ClipRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <map>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Correction/Canvas.h"
#include "Correction/ClipSettings.h"
#include "Image/FrameMemory.h"
#include "Image/FramePool.h"
#include "LensData/ClipLensData.h"
#include "LensData/OpenTrackIoConversion.h"
#include "LensData/OpenTrackIoLosses.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Mapping/FrameMapping.h"
#include "Mapping/MappingDocument.h"
#include "Mapping/MappingListing.h"
#include "Output/FrameWriter.h"
#include "Output/OutputCheck.h"
#include "Output/Preview.h"
#include "Plate/FrameList.h"
#include "Plate/PlateIdentity.h"
#include "Plate/PlateKind.h"
#include "Plate/PlateMetadata.h"
#include "Plate/PlateReader.h"
#include "Run/ClipPlan.h"
#include "Run/FramePipeline.h"
#include "Run/FrameStages.h"
#include "Run/JobPlan.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

namespace
{

    // One frame being read, one corrected, one written: every thread busy, and no frame's
    // buffers held only to wait.
    constexpr size_t framesInFlight = 3;

    /// One run over one clip.
    class Run
    {
    public:
        Run(const RunSettings& options, std::ostream& messages, bool terminal,
            const std::atomic<bool>& stop)
            : options(options)
            , terminal(terminal)
            , stop(stop)
            , report(messages, options.keepGoing)
        {
        }

        ExitStatus execute();

    private:
        ExitStatus executeSteps();
        void checkOptions() const;
        void identifySamples();
        void identifyClip(const InputClip& clip);
        void readPlan();
        void identifyPlannedClip();
        ExitStatus writePlan();
        ExitStatus dryRun(const std::vector<Job>& jobs);
        /// Each frame's headers against the first frame's, as a real run reads them: the frames
        /// that would fail, with why.
        std::map<int, Failure> checkHeaders(const std::vector<Job>& jobs) const;
        /// The lens data and the rates, for the document, once the lens data has been read.
        void describeLensData();
        /// The frame mapping document's frames: every job's, with its record, status and corner
        /// values, and the frames the sequence lacks. Says each refusal of the lens data.
        std::vector<MappingFrame> documentFrames(
            const std::vector<Job>& jobs, const std::map<int, Failure>& headerFailures);
        void writeDocument(
            const std::vector<MappingFrame>& frames, const std::optional<Failure>& failure);
        void checkPartsFit(const std::vector<Job>& jobs) const;
        std::string whyNotWritten(const Job& job, OutputKind kind, const std::string& path) const;
        ExitStatus process(std::vector<Job>& jobs);

        const RunSettings& options;
        const bool terminal;
        const std::atomic<bool>& stop;
        RunReport report;

        std::optional<PlateKind> kind;
        /// The clip's frames the run may take: the input's, or a plan's rows.
        ClipFrames frames;
        std::vector<std::string> inputFiles;
        /// Set when the run takes the clip from a plan.
        std::optional<ClipPlan> plan;
        OIIO::ImageSpec spec; ///< The clip's first frame's header (a plan's chunk: its own).
        Size picture;
        std::string plateFormat;
        std::optional<Size> withoutOverscan;
        std::optional<PlateMetadata> plate;
        ClipName clipName;
        ClipIdentity identity;
        std::unique_ptr<ClipLensData> lensData;
        std::string mappingDescription;
        std::vector<std::string> mappingRemarks;
        std::unique_ptr<FrameCorrector> corrector;
        std::optional<Canvas> canvas;
        /// The frames' buffers, handed on from frame to frame.
        std::optional<FramePool> pool;
        std::optional<FrameStages> frameStages;
        std::atomic<size_t> written { 0 };
        /// What the frame mapping document says of the run, filled in as the run learns it.
        MappingRun documentRun;
        bool documentWritten = false;
    };

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

    /// OpenTrackIO samples as the clip's lens data. A camera without a resolution is recorded at
    /// the plate's picture.
    void Run::identifySamples()
    {
        lensData = std::make_unique<ClipLensData>(
            std::make_shared<const OpenTrackIoSamples>(options.openTrackIo,
                SamplePlate { withoutOverscan.value_or(picture),
                    overscanPercent(picture, withoutOverscan) }));
        identity = clipIdentity(options);
    }

    /// Which clip the plate is, from the options and the plate's own metadata, and its lens data.
    void Run::identifyClip(const InputClip& clip)
    {
        if (!options.openTrackIo.empty())
        {
            // Per-frame samples: the plate's timecodes matter, its clip name does not.
            plate.emplace(clip, std::vector<std::string>());
            identifySamples();
            return;
        }
        CorrectionData::Header named {};
        if (!options.correctionFile.empty())
        {
            named = ClipLensData::headerOfFile(options.correctionFile);
        }
        plate.emplace(clip,
            PlateMetadata::clipNameAttributes(
                named.cameraManufacturer, PlateMetadata::containerName(clip)));
        clipName = plateClipName(options, clip, *plate);
        if (!options.correctionFile.empty())
        {
            checkClipNameAgainstCorrectionFile(
                clipName, options.correctionFile, named.clipName, named.videoFileName);
        }
        RunSettings clipOptions = options;
        clipOptions.clipName = clipName.name;
        identity = clipIdentity(clipOptions);
        lensData = std::make_unique<ClipLensData>(identity);
    }

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

    /// The chunk's rows of the plan, checked against the options and the inputs as they are
    /// now, and its first readable frame's header: nothing of the other frames is read.
    void Run::readPlan()
    {
        std::vector<int> wanted;
        if (!options.frames.empty())
        {
            wanted = parseFrameList(options.frames);
            if (options.previewFrame)
            {
                wanted.push_back(*options.previewFrame);
            }
        }
        plan = ClipPlan::read(options.plan, wanted);
        plan->checkSettings(options, options.plan);
        plan->checkInputs(options.plan);
        frames.inputName = options.input;
        for (const PlannedFrame& planned : plan->frames)
        {
            frames.frames.push_back(planned.frame);
            inputFiles.push_back(planned.frame.path);
        }
        if (frames.frames.empty())
        {
            throw Failure("Frames of the input sequence are missing.",
                "Input: \"" + options.input + "\"\nMissing Frames: " + options.frames + "\nPlan: \""
                    + options.plan + "\"");
        }
        std::string reasons;
        for (const InputFrame& frame : frames.frames)
        {
            const auto image = OIIO::ImageInput::open(frame.path);
            if (!image)
            {
                reasons += "\n" + frame.path + ": " + OIIO::geterror();
                continue;
            }
            spec = image->spec();
            plateFormat = image->format_name();
            // A plan's chunk converts as the whole clip's first frame decided.
            RunSettings planned = options;
            planned.colorSpace = plan->colorSpace;
            kind.emplace(planned, frame.path,
                isMovie(spec) ? std::vector<OIIO::ImageSpec> { spec } : imageParts(*image));
            const Size size = kind->place().picture.size;
            if (size != plan->picture || spec.nchannels != plan->channels
                || plateFormat != plan->format)
            {
                throw Failure("An input has changed since the plan was written.",
                    "Plan: \"" + options.plan + "\"\nPath: \"" + frame.path
                        + "\"\nFrame: " + std::to_string(spec.width) + "x"
                        + std::to_string(spec.height) + " px, " + std::to_string(spec.nchannels)
                        + " channels, " + plateFormat + "\nIn The Plan: " + sizeText(plan->picture)
                        + " px, " + std::to_string(plan->channels) + " channels, " + plan->format);
            }
            return;
        }
        throw Failure(
            "No frame of the run can be read.", "Plan: \"" + options.plan + "\"" + reasons);
    }

    /// The clip as the plan names it: the lens data file the whole clip's run named or found,
    /// the clip name it read from the plate.
    void Run::identifyPlannedClip()
    {
        if (!options.openTrackIo.empty())
        {
            identifySamples();
            return;
        }
        clipName = { plan->clipName, plan->clipNameSource, plan->clipNameFromPlate };
        RunSettings clipOptions = options;
        clipOptions.clipName = clipName.name;
        identity = clipIdentity(clipOptions);
        identity.correctionFilePath = plan->lensData.path;
        lensData = std::make_unique<ClipLensData>(identity);
    }

    /// Records what every chunk would otherwise work out from the whole clip.
    ExitStatus Run::writePlan()
    {
        ClipPlan written;
        written.settings = ClipPlan::settingsOf(options);
        const OpenTrackIoSamples* samples = lensData->samples();
        for (const InputFrame& frame : frames.frames)
        {
            PlannedFrame planned;
            planned.frame = frame;
            planned.input = FileIdentity::of(frame.path);
            planned.frame.path = planned.input.path;
            const MappedFrame& lens = frames.lens.at(frame.number);
            planned.key = lens.key;
            if (lens.sample && samples)
            {
                planned.sample = size_t(lens.sample - samples->samples().data());
            }
            planned.failure = lens.failure;
            written.numbers.push_back(frame.number);
            written.frames.push_back(std::move(planned));
        }
        written.picture = picture;
        written.channels = spec.nchannels;
        written.format = plateFormat;
        written.colorSpace = kind->parts().front().colour.colorSpace();
        written.withoutOverscan = withoutOverscan;
        // The size of the whole clip, whatever --keep-size: the chunks' outputs agree on it.
        written.canvas
            = Canvas(bool(options.distortion), false, picture, frames, {}, *lensData, *corrector)
                  .size();
        written.clipName = clipName.name;
        written.clipNameSource = clipName.source;
        written.clipNameFromPlate = clipName.fromPlate;
        written.lensData = FileIdentity::of(lensData->path());
        written.mapping = mappingDescription;
        // The outputs of the whole clip against every input, here once: a chunk checks its own.
        prepareOutputs(options, inputFiles, jobsFor(options, frames, written.numbers), false);
        written.write(options.writePlan);
        if (!options.quiet)
        {
            report.say("lenscorrect: plan of " + std::to_string(written.frames.size())
                + " frames written to " + options.writePlan + ", output "
                + sizeText(options.keepSize ? picture : written.canvas));
        }
        return succeeded;
    }

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
            canvas.emplace(bool(options.distortion), options.keepSize, picture, frames, jobs,
                *lensData, *corrector);
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
            documentRun.framesPerSecond
                = plate->frame(frames.frames.front().number).framesPerSecond;
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
                        measureCorner(*corrector, entry.job->lens.key.value_or(LensDataKey {}),
                            picture, bool(options.shading), bool(options.distortion)));
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
                + (skipped.empty() ? ""
                                   : ", " + std::to_string(skipped.size()) + " already written"));
            if (plate)
            {
                for (const std::string& line :
                    MappingListing(jobs, *plate, *lensData).summaryLines())
                {
                    report.say("lenscorrect: " + line);
                }
            }
        }
        // Said even when quiet: a frame someone else left damaged is worth knowing about.
        for (const auto& [number, reason] : redone)
        {
            report.say("lenscorrect: frame " + std::to_string(number) + ": " + reason
                + "; rendered again");
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

} // namespace

ExitStatus runClip(const RunSettings& options, std::ostream& messages, bool terminal,
    const std::atomic<bool>& stop)
{
    try
    {
        return Run(options, messages, terminal, stop).execute();
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
