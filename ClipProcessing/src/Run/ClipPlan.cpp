// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/ClipPlan.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

#include <boost/property_tree/json_parser.hpp>
#include <sys/stat.h>

#include "Common/TextHelpers.h"
#include "Correction/Extraction.h"
#include "LensData/OpenTrackIoSamples.h"
#include "Output/DurableFile.h"
#include "Plate/FrameList.h"

namespace pt = boost::property_tree;

namespace LensCorrect
{

namespace
{

    /// Raised with every change of the file's layout; a plan of another version is refused.
    const char* const formatVersion = "1";
    const char* const versionKey = "lenscorrect plan";

    Failure notAPlan(const std::string& path, const std::string& reason)
    {
        return Failure("The plan cannot be read.",
            "Plan: \"" + path + "\"\nReason: " + reason
                + "\nHint: write it again with lenscorrect --write-plan and the run's options");
    }

    Size readSize(const std::string& text, const std::string& path)
    {
        Size size;
        const size_t separator = text.find('x');
        const char* end = text.data() + text.size();
        if (separator == std::string::npos
            || std::from_chars(text.data(), text.data() + separator, size.width).ptr
                != text.data() + separator
            || std::from_chars(text.data() + separator + 1, end, size.height).ptr != end)
        {
            throw notAPlan(path, "\"" + text + "\" is not a size");
        }
        return size;
    }

    /// "1001-1500,1502-3000": ascending numbers as the frame list notation reads them back.
    std::string rangesText(const std::vector<int>& numbers)
    {
        std::string text;
        for (size_t i = 0; i < numbers.size();)
        {
            size_t last = i;
            while (last + 1 < numbers.size() && int64_t(numbers[last + 1]) == numbers[last] + 1)
            {
                ++last;
            }
            text += (text.empty() ? "" : ",") + std::to_string(numbers[i])
                + (last == i ? std::string() : "-" + std::to_string(numbers[last]));
            i = last + 1;
        }
        return text;
    }

    pt::ptree identityTree(const FileIdentity& identity)
    {
        pt::ptree tree;
        tree.put("path", identity.path);
        tree.put("size", std::to_string(identity.size));
        tree.put("modified", std::to_string(identity.modified));
        return tree;
    }

    FileIdentity identityOf(const pt::ptree& tree)
    {
        return { tree.get<std::string>("path"), tree.get<uint64_t>("size"),
            tree.get<int64_t>("modified") };
    }

    /// One JSON object on one line: JSON escapes line feeds inside strings.
    std::string line(const pt::ptree& tree)
    {
        std::ostringstream text;
        pt::write_json(text, tree, false);
        std::string written = text.str();
        while (!written.empty() && written.back() == '\n')
        {
            written.pop_back();
        }
        return written;
    }

    pt::ptree parsedLine(const std::string& text, const std::string& path)
    {
        std::istringstream stream(text);
        pt::ptree tree;
        try
        {
            pt::read_json(stream, tree);
        }
        catch (const pt::json_parser_error& error)
        {
            throw notAPlan(path, error.message());
        }
        return tree;
    }

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

void ClipPlan::write(const std::string& path) const
{
    pt::ptree header;
    header.put(versionKey, formatVersion);
    pt::ptree settingsTree;
    for (const auto& [name, value] : settings)
    {
        settingsTree.push_back({ name, pt::ptree(value) });
    }
    header.add_child("settings", settingsTree);
    header.put("frames", rangesText(numbers));
    header.put("picture", sizeText(picture));
    header.put("channels", std::to_string(channels));
    header.put("format", format);
    header.put("colorSpace", colorSpace);
    if (withoutOverscan)
    {
        header.put("withoutOverscan", sizeText(*withoutOverscan));
    }
    header.put("canvas", sizeText(canvas));
    header.put("clipName", clipName);
    header.put("clipNameSource", clipNameSource);
    header.put("clipNameFromPlate", clipNameFromPlate ? "1" : "0");
    header.add_child("lensData", identityTree(lensData));
    header.put("mapping", mapping);

    DurableFile file(path);
    {
        std::ofstream stream(file.temporaryPath(), std::ios::binary | std::ios::trunc);
        stream << line(header) << '\n';
        for (const PlannedFrame& planned : frames)
        {
            pt::ptree row;
            row.put("frame", std::to_string(planned.frame.number));
            row.put("path", planned.frame.path);
            row.put("subimage", std::to_string(planned.frame.subimage));
            row.put("size", std::to_string(planned.input.size));
            row.put("modified", std::to_string(planned.input.modified));
            if (planned.key)
            {
                pt::ptree record;
                record.put("frame", std::to_string(planned.key->frameNumber));
                record.put("fps", numberText(planned.key->framesPerSecond, 9));
                record.put("startTimecode", planned.key->startTimecode);
                row.add_child("record", record);
            }
            else if (planned.sample)
            {
                row.put("sample", std::to_string(*planned.sample));
            }
            if (planned.failure)
            {
                pt::ptree failure;
                failure.put("brief", std::string(planned.failure->what()));
                failure.put("detailed", planned.failure->detailed());
                row.add_child("failure", failure);
            }
            stream << line(row) << '\n';
        }
        stream.close();
        if (!stream)
        {
            throw Failure("The output file cannot be written.",
                "Path: \"" + path + "\"\nReason: " + std::generic_category().message(errno));
        }
    }
    file.install();
}

ClipPlan ClipPlan::read(const std::string& path, const std::vector<int>& wanted)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
    {
        throw notAPlan(path, std::generic_category().message(errno));
    }
    const std::string text(
        (std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos)
    {
        throw notAPlan(path, "it holds no header line");
    }

    ClipPlan plan;
    try
    {
        const pt::ptree header = parsedLine(text.substr(0, lineEnd), path);
        if (header.get<std::string>(versionKey, "") != formatVersion)
        {
            throw notAPlan(path, "it is not a plan of this version of lenscorrect");
        }
        for (const auto& [name, value] : header.get_child("settings"))
        {
            plan.settings[name] = value.data();
        }
        plan.numbers = parseFrameList(header.get<std::string>("frames"));
        plan.picture = readSize(header.get<std::string>("picture"), path);
        plan.channels = header.get<int>("channels");
        plan.format = header.get<std::string>("format");
        plan.colorSpace = header.get<std::string>("colorSpace");
        if (const auto withoutOverscan = header.get_optional<std::string>("withoutOverscan"))
        {
            plan.withoutOverscan = readSize(*withoutOverscan, path);
        }
        plan.canvas = readSize(header.get<std::string>("canvas"), path);
        plan.clipName = header.get<std::string>("clipName");
        plan.clipNameSource = header.get<std::string>("clipNameSource");
        plan.clipNameFromPlate = header.get<std::string>("clipNameFromPlate") == "1";
        plan.lensData = identityOf(header.get_child("lensData"));
        plan.mapping = header.get<std::string>("mapping");

        // The rows wanted, by their place in the clip; every other line is only stepped over.
        std::set<size_t> rows;
        if (wanted.empty())
        {
            for (size_t row = 0; row < plan.numbers.size(); ++row)
            {
                rows.insert(row);
            }
        }
        for (const int number : wanted)
        {
            const auto found = std::lower_bound(plan.numbers.begin(), plan.numbers.end(), number);
            if (found != plan.numbers.end() && *found == number)
            {
                rows.insert(size_t(found - plan.numbers.begin()));
            }
        }
        size_t row = 0;
        size_t lineBegin = lineEnd + 1;
        for (const size_t target : rows)
        {
            for (; row < target && lineBegin < text.size(); ++row)
            {
                const void* next
                    = std::memchr(text.data() + lineBegin, '\n', text.size() - lineBegin);
                lineBegin
                    = next ? size_t(static_cast<const char*>(next) - text.data()) + 1 : text.size();
            }
            lineEnd = text.find('\n', lineBegin);
            if (lineBegin >= text.size() || lineEnd == std::string::npos)
            {
                throw notAPlan(path,
                    "it ends before the row of frame " + std::to_string(plan.numbers[target]));
            }
            const pt::ptree tree = parsedLine(text.substr(lineBegin, lineEnd - lineBegin), path);
            PlannedFrame planned;
            planned.frame.number = tree.get<int>("frame");
            if (planned.frame.number != plan.numbers[target])
            {
                throw notAPlan(path,
                    "the row of frame " + std::to_string(plan.numbers[target]) + " names frame "
                        + std::to_string(planned.frame.number));
            }
            planned.frame.path = tree.get<std::string>("path");
            planned.frame.subimage = tree.get<int>("subimage");
            planned.input
                = { planned.frame.path, tree.get<uint64_t>("size"), tree.get<int64_t>("modified") };
            if (const auto record = tree.get_child_optional("record"))
            {
                planned.key = LensDataKey { record->get<uint32_t>("frame"),
                    record->get<float>("fps"), record->get<std::string>("startTimecode") };
            }
            if (const auto sample = tree.get_optional<size_t>("sample"))
            {
                planned.sample = *sample;
            }
            if (const auto failure = tree.get_child_optional("failure"))
            {
                planned.failure = Failure::fromLibrary(
                    failure->get<std::string>("brief"), failure->get<std::string>("detailed"));
            }
            plan.frames.push_back(std::move(planned));
            ++row;
            lineBegin = lineEnd + 1;
        }
    }
    catch (const pt::ptree_error& error)
    {
        throw notAPlan(path, error.what());
    }
    return plan;
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
