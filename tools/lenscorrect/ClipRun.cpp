// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/ClipRun.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "lenscorrect/BoundedQueue.h"
#include "lenscorrect/ClipSettings.h"
#include "lenscorrect/Failure.h"
#include "lenscorrect/FrameList.h"
#include "lenscorrect/FramePattern.h"
#include "lenscorrect/FrameWriter.h"
#include "lenscorrect/PlateReader.h"
#include "lenscorrect/Preview.h"
#include "lenscorrect/Progress.h"

namespace fs = std::filesystem;

namespace LensCorrect
{

namespace
{

    // Two frames between each pair of threads keep all three busy without holding much memory;
    // beyond twice 2160p one, since a frame then takes a quarter GiB or more per buffer.
    size_t queueDepth(Size picture) { return picture.pixels() > uint64_t(2) * 3840 * 2160 ? 1 : 2; }

    /// One frame to process and where its results go.
    struct Job
    {
        InputFrame frame;
        int64_t clipFrame = 0; ///< May be negative: before the clip's first frame.
        std::string output;
        std::string stMap;
        std::string gainMap;
        bool preview = false;
    };

    struct Decoded
    {
        Job job;
        std::optional<Plate> plate;
        std::optional<Failure> failure;
    };

    struct Rendered
    {
        Job job;
        OIIO::ImageSpec plateSpec;
        Window window; ///< Of the frame and the ST-map.
        Window pictureWindow; ///< Of the gain map.
        std::vector<RgbaImage> groups;
        std::optional<RgbaImage> stMap;
        std::optional<RgbaImage> gainMap;
        std::optional<Failure> failure;
    };

    /// "1001, 1003-1005": the numbers (ascending) as ranges, cut short after 20.
    std::string rangesText(const std::vector<std::pair<int, int>>& ranges)
    {
        std::string text;
        for (size_t i = 0; i < ranges.size(); ++i)
        {
            if (i == 20)
            {
                return text + " and " + std::to_string(ranges.size() - i) + " more ranges";
            }
            text += (i ? ", " : "") + std::to_string(ranges[i].first);
            if (ranges[i].second != ranges[i].first)
            {
                text += "-" + std::to_string(ranges[i].second);
            }
        }
        return text;
    }

    std::vector<std::pair<int, int>> ranges(std::vector<int> numbers)
    {
        std::sort(numbers.begin(), numbers.end());
        std::vector<std::pair<int, int>> result;
        for (const int number : numbers)
        {
            if (!result.empty() && int64_t(result.back().second) + 1 == number)
            {
                result.back().second = number;
            }
            else
            {
                result.emplace_back(number, number);
            }
        }
        return result;
    }

    std::string canonical(const std::string& path)
    {
        std::error_code ignored;
        const fs::path canonicalPath = fs::weakly_canonical(fs::absolute(path), ignored);
        return canonicalPath.empty() ? path : canonicalPath.string();
    }

    std::string sizeText(Size size)
    {
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    }

    /// One run over one clip.
    class Run
    {
    public:
        Run(const Options& options, std::ostream& messages, bool terminal,
            const std::atomic<bool>& stop)
            : options(options)
            , messages(messages)
            , terminal(terminal)
            , stop(stop)
        {
        }

        ExitStatus execute();

    private:
        void checkOptions() const;
        std::vector<Job> plan(const InputClip& clip);
        void checkOutputs(const InputClip& clip, const std::vector<Job>& jobs) const;
        void sizeFrames(const InputClip& clip, const std::vector<Job>& jobs);
        Rendered render(Decoded& decoded);
        void write(Rendered& rendered);
        void fail(int number, const Failure& failure);
        void say(const std::string& text);

        const Options& options;
        std::ostream& messages;
        const bool terminal;
        const std::atomic<bool>& stop;

        int firstFrame = 0;
        Size picture;
        Size canvas;
        OIIO::TypeDesc dataType;
        std::string plateFormat;
        std::unique_ptr<FrameCorrector> corrector;
        std::unique_ptr<ColorConversion> colour;
        std::unique_ptr<ChannelLayout> layout;
        std::unique_ptr<Progress> progress;
        std::map<int, Size> renderSizes;
        std::map<int, Failure> sizeFailures;
        std::optional<RgbaImage> previewBefore;
        std::optional<RgbaImage> previewAfter;

        std::mutex failureMutex;
        std::vector<int> failedFrames;
        std::atomic<bool> halt { false };
        std::atomic<size_t> written { 0 };
    };

    void Run::say(const std::string& text)
    {
        if (progress)
        {
            progress->message(text);
        }
        else
        {
            messages << text << (text.empty() || text.back() != '\n' ? "\n" : "") << std::flush;
        }
    }

    void Run::fail(int number, const Failure& failure)
    {
        {
            std::lock_guard<std::mutex> lock(failureMutex);
            failedFrames.push_back(number);
        }
        if (progress)
        {
            progress->frameFailed();
        }
        say("lenscorrect: frame " + std::to_string(number) + ": " + failure.detailed());
        if (!options.keepGoing)
        {
            halt = true;
        }
    }

    void Run::checkOptions() const
    {
        if (!options.shading && !options.distortion)
        {
            throw Failure("No correction was asked for.",
                "Hint: add --shading remove|add, --distortion undistort|distort, or both");
        }
        if (options.output.empty() && options.stMap.empty() && options.gainMap.empty()
            && options.preview.empty())
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
        if (options.startTimecode.size() > 15)
        {
            throw Failure("The start timecode is longer than a timecode can be.",
                "Start Timecode: \"" + options.startTimecode + "\"");
        }
    }

    std::vector<Job> Run::plan(const InputClip& clip)
    {
        std::map<int, const InputFrame*> byNumber;
        for (const InputFrame& frame : clip.frames())
        {
            byNumber.emplace(frame.number, &frame);
        }
        std::vector<int> numbers;
        std::vector<int> missing;
        if (options.frames.empty())
        {
            for (const InputFrame& frame : clip.frames())
            {
                numbers.push_back(frame.number);
            }
            for (const auto& [first, last] : clip.missingFrames())
            {
                for (int64_t number = first;
                     number <= last && missing.size() <= maximumFrameListSize; ++number)
                {
                    missing.push_back(int(number));
                }
            }
        }
        else
        {
            for (const int number : parseFrameList(options.frames))
            {
                (byNumber.count(number) ? numbers : missing).push_back(number);
            }
        }
        if (!missing.empty())
        {
            const Failure failure("Frames of the input sequence are missing.",
                "Input: \"" + clip.name() + "\"\nMissing Frames: " + rangesText(ranges(missing)));
            if (!options.keepGoing)
            {
                throw failure;
            }
            say("lenscorrect: " + failure.detailed());
            std::lock_guard<std::mutex> lock(failureMutex);
            failedFrames.insert(failedFrames.end(), missing.begin(), missing.end());
        }

        // One pattern per kind of output; none where that output is not wanted.
        struct Destination
        {
            const char* name;
            const std::string& text;
            std::optional<FramePattern> pattern;
        };
        Destination destinations[] = { { "output", options.output, {} },
            { "--stmap", options.stMap, {} }, { "--gain-map", options.gainMap, {} } };
        for (Destination& destination : destinations)
        {
            if (destination.text.empty())
            {
                continue;
            }
            destination.pattern.emplace(destination.text);
            if (numbers.size() > 1 && !destination.pattern->hasFrameField())
            {
                throw Failure(std::string("The ") + destination.name
                        + " pattern has no frame number field, so every frame would overwrite "
                          "the last.",
                    "Pattern: \"" + destination.text
                        + "\"\nFrames: " + std::to_string(numbers.size())
                        + "\nHint: write the frame number as #### or %04d");
            }
        }
        const auto path = [&](const Destination& destination, int number)
        { return destination.pattern ? destination.pattern->path(number) : std::string(); };

        const int previewFrame
            = options.previewFrame.value_or(numbers.empty() ? 0 : numbers.front());
        if (!options.preview.empty() && !byNumber.count(previewFrame))
        {
            throw Failure("The preview frame is not a frame of the input.",
                "Preview Frame: " + std::to_string(previewFrame));
        }
        std::vector<Job> jobs;
        for (const int number : numbers)
        {
            Job job;
            job.frame = *byNumber.at(number);
            job.clipFrame = int64_t(number) - firstFrame;
            job.output = path(destinations[0], number);
            job.stMap = path(destinations[1], number);
            job.gainMap = path(destinations[2], number);
            job.preview = !options.preview.empty() && number == previewFrame;
            jobs.push_back(job);
        }
        return jobs;
    }

    void Run::checkOutputs(const InputClip& clip, const std::vector<Job>& jobs) const
    {
        std::set<std::string> inputs;
        for (const std::string& file : clip.files())
        {
            inputs.insert(canonical(file));
        }
        const auto check = [&](const std::string& path)
        {
            if (path.empty())
            {
                return;
            }
            std::error_code ignored;
            bool same = inputs.count(canonical(path)) > 0;
            for (auto input = inputs.begin();
                 !same && fs::exists(path, ignored) && input != inputs.end(); ++input)
            {
                same = fs::equivalent(path, *input, ignored);
            }
            if (same)
            {
                throw Failure("The output would overwrite an input file; the input is never "
                              "overwritten.",
                    "Output: \"" + path + "\"");
            }
        };
        std::set<std::string> outputs;
        for (const Job& job : jobs)
        {
            for (const std::string* path : { &job.output, &job.stMap, &job.gainMap })
            {
                check(*path);
                if (!path->empty() && !outputs.insert(canonical(*path)).second)
                {
                    throw Failure("Two outputs of the run would be written to the same file.",
                        "Output: \"" + *path + "\"");
                }
            }
        }
        check(options.preview);
        if (!jobs.empty())
        {
            for (const std::string* path : { &jobs.front().output, &jobs.front().stMap,
                     &jobs.front().gainMap, &options.preview })
            {
                if (path->empty())
                {
                    continue;
                }
                FrameWriter::formatForPath(*path);
                const fs::path directory = fs::absolute(*path).parent_path();
                std::error_code error;
                fs::create_directories(directory, error);
                if (error)
                {
                    throw Failure("The output directory cannot be created.",
                        "Directory: \"" + directory.string() + "\"\nReason: " + error.message());
                }
            }
        }
    }

    void Run::sizeFrames(const InputClip& clip, const std::vector<Job>& jobs)
    {
        canvas = picture;
        if (!options.distortion)
        {
            return;
        }
        // Without --keep-size every output frame gets the largest size of the whole clip, so
        // that a sequence has one size and the chunks of a split run agree.
        std::set<int> wanted;
        for (const Job& job : jobs)
        {
            wanted.insert(job.frame.number);
        }
        for (const InputFrame& frame : clip.frames())
        {
            const int64_t clipFrame = int64_t(frame.number) - firstFrame;
            const bool isJob = wanted.count(frame.number) > 0;
            if (clipFrame < 0 || clipFrame > UINT32_MAX || (options.keepSize && !isJob))
            {
                continue;
            }
            try
            {
                const Size size = corrector->renderSize(uint32_t(clipFrame));
                renderSizes.emplace(frame.number, size);
                canvas = FrameGeometry::renderSize(canvas, size);
            }
            catch (const Failure& failure)
            {
                if (isJob)
                {
                    sizeFailures.emplace(frame.number, failure);
                }
            }
        }
        FrameGeometry::checkFrameSize(canvas, "enlarged output frame");
    }

    Rendered Run::render(Decoded& decoded)
    {
        Rendered rendered { decoded.job, {}, {}, {}, {}, {}, {}, decoded.failure };
        if (rendered.failure)
        {
            return rendered;
        }
        const Job& job = decoded.job;
        const int number = job.frame.number;
        try
        {
            if (job.clipFrame < 0 || job.clipFrame > UINT32_MAX)
            {
                throw Failure("The frame lies before the clip's first frame.",
                    "Frame: " + std::to_string(number) + "\nFirst Frame: "
                        + std::to_string(firstFrame) + "\nHint: set --first-frame");
            }
            const auto sizeFailure = sizeFailures.find(number);
            if (sizeFailure != sizeFailures.end())
            {
                throw sizeFailure->second;
            }
            const uint32_t clipFrame = uint32_t(job.clipFrame);
            const auto known = renderSizes.find(number);
            const Size renderSize
                = known != renderSizes.end() ? known->second : corrector->renderSize(clipFrame);

            Plate& plate = *decoded.plate;
            rendered.plateSpec = plate.spec;
            rendered.pictureWindow = { plate.spec.x, plate.spec.y, picture };
            const Size outputSize = options.keepSize ? picture : canvas;
            rendered.window = options.keepSize
                ? rendered.pictureWindow
                : FrameGeometry::canvasWindow(rendered.pictureWindow, canvas);
            const auto place = [&](RgbaImage image)
            {
                if (image.size == outputSize)
                {
                    return image;
                }
                return options.keepSize
                    ? centredCopy(image, outputSize)
                    : placedCopy(image, outputSize,
                        FrameGeometry::bufferOffset(picture, image.size, outputSize));
            };
            if (!job.output.empty() || job.preview)
            {
                for (const RgbaImage& group : plate.groups)
                {
                    rendered.groups.push_back(
                        place(corrector->correct(clipFrame, renderSize, group)));
                }
            }
            if (!job.stMap.empty())
            {
                rendered.stMap = place(corrector->stMap(clipFrame, renderSize));
            }
            if (!job.gainMap.empty())
            {
                rendered.gainMap = corrector->gainMap(clipFrame);
            }
            if (job.preview)
            {
                previewBefore = plate.groups.front();
                previewAfter = rendered.groups.front();
            }
        }
        catch (const Failure& failure)
        {
            rendered.failure = failure;
        }
        catch (const std::exception& exception)
        {
            rendered.failure = Failure(
                "The frame could not be corrected.", std::string("Reason: ") + exception.what());
        }
        return rendered;
    }

    void Run::write(Rendered& rendered)
    {
        const Job& job = rendered.job;
        if (!job.output.empty())
        {
            FrameWriter::writeFrame(job.output, rendered.plateSpec, plateFormat, rendered.window,
                dataType, rendered.groups, *colour, *layout);
        }
        if (rendered.stMap)
        {
            FrameWriter::write(job.stMap,
                FrameWriter::mapSpec(rendered.plateSpec, rendered.window, job.stMap),
                rendered.stMap->pixels.data());
        }
        if (rendered.gainMap)
        {
            FrameWriter::write(job.gainMap,
                FrameWriter::mapSpec(rendered.plateSpec, rendered.pictureWindow, job.gainMap),
                rendered.gainMap->pixels.data());
        }
    }

    ExitStatus Run::execute()
    {
        const auto start = std::chrono::steady_clock::now();
        checkOptions();
        const InputClip clip(options.input);
        const OIIO::ImageSpec& spec = clip.firstSpec();
        picture = { uint32_t(std::max(spec.width, 0)), uint32_t(std::max(spec.height, 0)) };
        FrameGeometry::checkFrameSize(picture, "input frame");
        if (options.sizeWithoutOverscan
            && (options.sizeWithoutOverscan->width > picture.width
                || options.sizeWithoutOverscan->height > picture.height))
        {
            throw Failure("The picture without overscan is larger than the plate.",
                "Size Without Overscan: " + sizeText(*options.sizeWithoutOverscan)
                    + " px\nPlate: " + sizeText(picture) + " px");
        }
        plateFormat = clip.formatName();
        dataType = options.dataType.empty() ? OIIO::TypeUnknown : OIIO::TypeDesc(options.dataType);
        firstFrame = options.firstFrame.value_or(clip.frames().front().number);

        std::vector<Job> jobs = plan(clip);
        checkOutputs(clip, jobs);
        colour = std::make_unique<ColorConversion>(spec, options.colorSpace);
        layout = std::make_unique<ChannelLayout>(spec);

        LensSettings settings;
        settings.shading = options.shading;
        settings.distortion = options.distortion;
        settings.identity = clipIdentity(options);
        settings.manualRecordingFormat = manualRecordingFormat(options);
        settings.framesPerSecond = options.framesPerSecond;
        settings.startTimecode = options.startTimecode;
        settings.sizeWithoutOverscan = options.sizeWithoutOverscan;
        corrector = std::make_unique<FrameCorrector>(settings, picture);
        corrector->checkLensData();
        sizeFrames(clip, jobs);

        // Frames already complete under --skip-existing are done; the preview frame is still
        // rendered (without being written again) when it is among them.
        std::vector<Job> work;
        size_t skipped = 0;
        std::vector<int> skippedNumbers;
        for (Job& job : jobs)
        {
            std::error_code ignored;
            const auto exists = [&](const std::string& path)
            { return path.empty() || fs::is_regular_file(path, ignored); };
            if (options.skipExisting && exists(job.output) && exists(job.stMap)
                && exists(job.gainMap))
            {
                ++skipped;
                skippedNumbers.push_back(job.frame.number);
                if (!job.preview)
                {
                    continue;
                }
                job.output.clear();
                job.stMap.clear();
                job.gainMap.clear();
            }
            work.push_back(job);
        }

        if (!options.quiet)
        {
            say("lenscorrect: " + std::to_string(jobs.size()) + " frame"
                + (jobs.size() == 1 ? "" : "s") + " of \"" + clip.name() + "\" ("
                + sizeText(picture) + ", " + std::to_string(spec.nchannels) + " channels, "
                + spec.format.c_str() + ", " + colour->colorSpace() + "), output "
                + sizeText(options.keepSize ? picture : canvas)
                + (skipped ? ", " + std::to_string(skipped) + " already written" : ""));
        }
        progress = std::make_unique<Progress>(messages, jobs.size(), terminal, options.quiet);
        for (const int number : skippedNumbers)
        {
            progress->frameDone(number, "exists, skipped");
        }

        BoundedQueue<Decoded> decoded(queueDepth(picture));
        BoundedQueue<Rendered> rendered(queueDepth(picture));
        std::thread reader(
            [&]
            {
                PlateReader plates(clip, *colour, *layout);
                for (const Job& job : work)
                {
                    if (halt || stop)
                    {
                        break;
                    }
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
                    if (!decoded.push(std::move(item)))
                    {
                        break;
                    }
                }
                decoded.close();
            });
        std::thread writer(
            [&]
            {
                while (std::optional<Rendered> item = rendered.pop())
                {
                    const bool wasSkipped = item->job.output.empty() && item->job.stMap.empty()
                        && item->job.gainMap.empty();
                    if (halt)
                    {
                        continue;
                    }
                    if (item->failure)
                    {
                        fail(item->job.frame.number, *item->failure);
                        continue;
                    }
                    try
                    {
                        write(*item);
                        if (!wasSkipped)
                        {
                            ++written;
                            progress->frameDone(item->job.frame.number,
                                item->job.output.empty() ? "maps written" : item->job.output);
                        }
                    }
                    catch (const std::exception& exception)
                    {
                        const Failure* failure = dynamic_cast<const Failure*>(&exception);
                        fail(item->job.frame.number,
                            failure ? *failure
                                    : Failure("The frame cannot be written.",
                                        std::string("Reason: ") + exception.what()));
                    }
                }
            });
        while (std::optional<Decoded> item = decoded.pop())
        {
            if (halt)
            {
                break;
            }
            Rendered result = render(*item);
            const bool frameFailed = result.failure.has_value();
            if (!rendered.push(std::move(result)) || (frameFailed && !options.keepGoing))
            {
                break;
            }
        }
        decoded.close();
        rendered.close();
        reader.join();
        writer.join();
        progress->finish();

        if (previewBefore && previewAfter)
        {
            try
            {
                writePreview(options.preview, *previewBefore, *previewAfter);
                say("lenscorrect: preview of frame "
                    + std::to_string(options.previewFrame.value_or(jobs.front().frame.number))
                    + " written to " + options.preview);
            }
            catch (const Failure& failure)
            {
                say("lenscorrect: " + failure.detailed());
                failedFrames.push_back(jobs.front().frame.number);
            }
        }

        const double seconds
            = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!failedFrames.empty())
        {
            say("lenscorrect: " + std::to_string(failedFrames.size()) + " frame"
                + (failedFrames.size() == 1 ? "" : "s")
                + " failed: " + rangesText(ranges(failedFrames)));
            return failed;
        }
        if (stop && written + skipped < jobs.size())
        {
            say("lenscorrect: interrupted after " + std::to_string(written)
                + " frames; run again with --skip-existing to complete it");
            return interrupted;
        }
        if (!options.quiet)
        {
            char timing[64];
            std::snprintf(timing, sizeof(timing), " in %.1f s", seconds);
            say("lenscorrect: " + std::to_string(written.load()) + " frame"
                + (written == 1 ? "" : "s") + " written" + timing);
        }
        return succeeded;
    }

} // namespace

ExitStatus runClip(
    const Options& options, std::ostream& messages, bool terminal, const std::atomic<bool>& stop)
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
