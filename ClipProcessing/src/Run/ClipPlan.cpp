// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/ClipPlan.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <system_error>

#include <sys/stat.h>

#include "Common/TextHelpers.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Settings/Extraction.h"

namespace LensCorrect
{

namespace
{

    /// The file's status; none, with errno set, when it cannot be looked at.
    std::optional<FileIdentity> statusOf(const std::string& path)
    {
        struct stat status
        {
        };
        const std::string absolute = std::filesystem::absolute(path).string();
        if (::stat(absolute.c_str(), &status) != 0)
        {
            return std::nullopt;
        }
        return FileIdentity { absolute, uint64_t(status.st_size),
            int64_t(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec };
    }

    Failure changed(
        const std::string& planPath, const FileIdentity& planned, const std::string& now)
    {
        return Failure("An input has changed since the plan was written.",
            "Plan: \"" + planPath + "\"\nPath: \"" + planned.path
                + "\"\nIn The Plan: " + planned.text() + "\nNow: " + now
                + "\nHint: write the plan again (lenscorrect --write-plan; lenscorrect-slurm "
                  "writes "
                  "it when it submits a job)");
    }

} // namespace

FileIdentity FileIdentity::of(const std::string& path)
{
    const std::optional<FileIdentity> identity = statusOf(path);
    if (!identity)
    {
        throw Failure("The input cannot be read.",
            "Path: \"" + path + "\"\nReason: " + std::generic_category().message(errno));
    }
    return *identity;
}

std::string FileIdentity::text() const
{
    const std::time_t seconds = std::time_t(modified / 1'000'000'000);
    std::tm utc {};
    gmtime_r(&seconds, &utc);
    char when[64];
    std::strftime(when, sizeof(when), "%Y-%m-%d %H:%M:%S", &utc);
    char nanoseconds[16];
    std::snprintf(nanoseconds, sizeof(nanoseconds), ".%09lld",
        static_cast<long long>(modified % 1'000'000'000));
    return std::to_string(size) + " bytes, modified " + when + nanoseconds + " UTC";
}

std::map<std::string, std::string> ClipPlan::settingsOf(const RunSettings& options)
{
    std::map<std::string, std::string> settings;
    const auto put = [&](const char* name, const std::string& value)
    {
        if (!value.empty())
        {
            settings[name] = value;
        }
    };
    put("input", options.input);
    put("--output", options.output);
    if (options.shading)
    {
        put("--shading", *options.shading == ShadingMode::remove ? "remove" : "add");
    }
    if (options.distortion)
    {
        put("--distortion",
            *options.distortion == DistortionMode::undistort ? "undistort" : "distort");
    }
    put("--keep-size", options.keepSize ? "yes" : "");
    put("--correction-file", options.correctionFile);
    put("--opentrackio", options.openTrackIo);
    put("--strict", options.strict ? "yes" : "");
    put("--clip", options.clip);
    put("--clip-name", options.clipName);
    put("--first-frame", options.firstFrame ? std::to_string(*options.firstFrame) : "");
    put("--fps", options.framesPerSecond > 0.0f ? numberText(options.framesPerSecond, 9) : "");
    put("--start-timecode", options.startTimecode);
    if (options.sensorSize)
    {
        put("--sensor-size",
            numberText(options.sensorSize->first, 9) + ":"
                + numberText(options.sensorSize->second, 9));
    }
    put("--resolution", options.resolution ? sizeText(*options.resolution) : "");
    put("--image-diameter", options.imageDiameter ? numberText(*options.imageDiameter, 9) : "");
    put("--size-without-overscan",
        options.sizeWithoutOverscan ? sizeText(*options.sizeWithoutOverscan) : "");
    put("--extraction", options.extraction ? extractionText(*options.extraction) : "");
    put("--colorspace", options.colorSpace);
    put("--data-type", options.dataType);
    put("--stmap", options.stMap);
    put("--gain-map", options.gainMap);
    return settings;
}

void ClipPlan::checkSettings(const RunSettings& options, const std::string& planPath) const
{
    const std::map<std::string, std::string> given = settingsOf(options);
    std::set<std::string> names;
    for (const auto* map : { &settings, &given })
    {
        for (const auto& entry : *map)
        {
            names.insert(entry.first);
        }
    }
    const auto value = [](const std::map<std::string, std::string>& map, const std::string& name)
    {
        const auto found = map.find(name);
        return found == map.end() ? std::string("(not given)") : "\"" + found->second + "\"";
    };
    for (const std::string& name : names)
    {
        if (value(settings, name) != value(given, name))
        {
            throw Failure("The plan was written for other options than this run's.",
                "Plan: \"" + planPath + "\"\nOption: " + name + "\nIn The Plan: "
                    + value(settings, name) + "\nIn This Run: " + value(given, name)
                    + "\nHint: write the plan again with this run's options, or leave --plan out");
        }
    }
}

void ClipPlan::checkInputs(const std::string& planPath) const
{
    std::set<std::string> checked;
    const auto check = [&](const FileIdentity& planned)
    {
        if (!checked.insert(planned.path).second)
        {
            return;
        }
        const std::optional<FileIdentity> now = statusOf(planned.path);
        if (!now)
        {
            throw changed(planPath, planned, std::generic_category().message(errno));
        }
        if (!(*now == planned))
        {
            throw changed(planPath, planned, now->text());
        }
    };
    check(lensData);
    for (const PlannedFrame& planned : frames)
    {
        check(planned.input);
    }
}

MappedFrame ClipPlan::mapped(const PlannedFrame& frame, const OpenTrackIoSamples* samples)
{
    MappedFrame mapped;
    mapped.key = frame.key;
    mapped.failure = frame.failure;
    if (frame.sample)
    {
        if (samples && *frame.sample < samples->samples().size())
        {
            mapped.sample = &samples->samples()[*frame.sample];
        }
        else
        {
            mapped.failure = Failure("The plan names an OpenTrackIO sample that is not there.",
                "Frame: " + std::to_string(frame.frame.number)
                    + "\nPosition: " + std::to_string(*frame.sample));
        }
    }
    return mapped;
}

} // namespace LensCorrect
