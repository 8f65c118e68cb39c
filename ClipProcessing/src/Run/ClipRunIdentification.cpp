// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Which clip the run works on and its lens data, from the input or from a plan, and the plan
// written for a clip.
#include <OpenImageIO/imageio.h>

#include "Common/TextHelpers.h"
#include "Correction/CorrectorSettings.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Plate/ClipName.h"
#include "Plate/FrameList.h"
#include "Plate/InputClip.h"
#include "Run/ClipRunSteps.h"
#include "Run/JobPlan.h"

namespace LensCorrect::ClipRunning
{

/// OpenTrackIO samples as the clip's lens data. A camera without a resolution is recorded at
/// the plate's picture.
void Run::identifySamples()
{
    lensData = std::make_unique<ClipLensData>(
        std::make_shared<const OpenTrackIoSamples>(options.openTrackIo,
            SamplePlate {
                withoutOverscan.value_or(picture), overscanPercent(picture, withoutOverscan) }));
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
                    + "\"\nFrame: " + std::to_string(spec.width) + "x" + std::to_string(spec.height)
                    + " px, " + std::to_string(spec.nchannels) + " channels, " + plateFormat
                    + "\nIn The Plan: " + sizeText(plan->picture) + " px, "
                    + std::to_string(plan->channels) + " channels, " + plan->format);
        }
        return;
    }
    throw Failure("No frame of the run can be read.", "Plan: \"" + options.plan + "\"" + reasons);
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
        = FrameSizes(bool(options.distortion), false, picture, frames, {}, *lensData, *corrector)
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

} // namespace LensCorrect::ClipRunning
