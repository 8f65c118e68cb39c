// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Mapping/MappingDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

#include "Output/DurableFile.h"
#include "Output/Provenance.h"

namespace LensCorrect
{

namespace
{

    using Json = nlohmann::ordered_json;

    /// A number rounded for people and diffs: `format` as printf writes it, read back.
    Json rounded(std::optional<double> value, const char* format)
    {
        if (!value || !std::isfinite(*value))
        {
            return nullptr;
        }
        char text[64];
        std::snprintf(text, sizeof(text), format, *value);
        return std::strtod(text, nullptr);
    }

    Json text(const std::string& value) { return value.empty() ? Json(nullptr) : Json(value); }

    Json size(const std::optional<Size>& value)
    {
        if (!value)
        {
            return nullptr;
        }
        return Json { { "width", value->width }, { "height", value->height } };
    }

    const char* ruleName(MappingRule rule)
    {
        switch (rule)
        {
        case MappingRule::option:
            return "option";
        case MappingRule::timecode:
            return "timecode";
        case MappingRule::guess:
            return "guess";
        }
        return "guess";
    }

    const char* statusName(MappingStatus status)
    {
        switch (status)
        {
        case MappingStatus::found:
            return "found";
        case MappingStatus::noLensData:
            return "no lens data";
        case MappingStatus::refused:
            return "refused";
        case MappingStatus::missing:
            return "missing";
        }
        return "refused";
    }

    Json failure(const std::optional<Failure>& failure)
    {
        if (!failure)
        {
            return nullptr;
        }
        return Json { { "message", failure->what() }, { "details", failure->detailed() } };
    }

    Json runObject(const MappingRun& run)
    {
        Json options = Json::object();
        for (const auto& [name, value] : run.options)
        {
            options[name] = value;
        }
        Json corrections;
        corrections["shading"] = run.shading
            ? Json(*run.shading == ShadingMode::remove ? "remove" : "add")
            : Json(nullptr);
        corrections["distortion"] = run.distortion
            ? Json(*run.distortion == DistortionMode::undistort ? "undistort" : "distort")
            : Json(nullptr);
        corrections["keepSize"] = run.keepSize;

        Json lensData;
        lensData["kind"] = run.samples ? "OpenTrackIO samples" : "correction file";
        lensData["path"] = text(run.lensDataPath);
        lensData["foundBy"] = text(run.lensDataFoundBy);
        lensData["clip"] = text(run.clipFile);
        lensData["clipName"] = text(run.clipName);
        lensData["clipNameSource"] = text(run.clipNameSource);
        lensData["framesPerSecond"] = rounded(run.lensDataFramesPerSecond, "%.6g");

        Json mapping;
        mapping["rule"] = run.rule ? Json(ruleName(*run.rule)) : Json(nullptr);
        mapping["description"] = text(run.mapping);
        mapping["remarks"] = run.remarks;

        Json object;
        object["dryRun"] = run.dryRun;
        object["input"] = run.input;
        object["directory"] = run.directory;
        object["options"] = options;
        object["corrections"] = corrections;
        object["lensData"] = lensData;
        object["mapping"] = mapping;
        object["framesPerSecond"] = rounded(run.framesPerSecond, "%.6g");
        object["framesPerSecondSource"] = text(run.framesPerSecondSource);
        object["pictureSize"] = size(run.picture);
        object["sizeWithoutOverscan"] = size(run.sizeWithoutOverscan);
        object["outputSize"] = size(run.output);
        return object;
    }

    Json frameObject(const MappingFrame& frame)
    {
        Json record = nullptr;
        if (frame.record)
        {
            const LensRecord& lens = *frame.record;
            const bool sample = lens.name.find_first_not_of("0123456789") != std::string::npos;
            record = Json::object();
            if (sample)
            {
                record["sample"] = lens.name;
            }
            else
            {
                record["frame"] = std::strtoull(lens.name.c_str(), nullptr, 10);
            }
            record["timecode"] = text(lens.timecode);
        }
        Json object;
        object["frame"] = frame.number;
        object["file"] = text(frame.file);
        object["timecode"] = frame.timecode ? Json(*frame.timecode) : Json(nullptr);
        object["status"] = statusName(frame.status);
        object["message"] = frame.failure ? Json(frame.failure->what()) : Json(nullptr);
        object["details"] = frame.failure ? Json(frame.failure->detailed()) : Json(nullptr);
        object["record"] = record;
        object["focalLength"]
            = rounded(frame.record ? frame.record->focalLength : std::nullopt, "%.6g");
        object["focusDistance"]
            = rounded(frame.record ? frame.record->focusDistance : std::nullopt, "%.6g");
        object["cornerDisplacement"] = rounded(frame.corner.displacement, "%.3f");
        object["cornerShading"] = rounded(frame.corner.shadingStops, "%.4f");
        return object;
    }

} // namespace

std::string mappingDocument(const MappingRun& run, const std::vector<MappingFrame>& frames,
    const std::optional<Failure>& runFailure)
{
    const auto count = [&](MappingStatus status)
    {
        return std::count_if(frames.begin(), frames.end(),
            [&](const MappingFrame& frame) { return frame.status == status; });
    };
    Json summary;
    summary["frames"] = frames.size();
    summary["found"] = count(MappingStatus::found);
    summary["noLensData"] = count(MappingStatus::noLensData);
    summary["refused"] = count(MappingStatus::refused);
    summary["missing"] = count(MappingStatus::missing);
    Json list = Json::array();
    for (const MappingFrame& frame : frames)
    {
        list.push_back(frameObject(frame));
    }

    Json document;
    document["version"] = mappingDocumentVersion;
    document["tool"] = toolVersion();
    // What a pipeline asks first: every frame will be corrected as this run stands.
    document["ready"]
        = !runFailure && !frames.empty() && size_t(count(MappingStatus::found)) == frames.size();
    document["failure"] = failure(runFailure);
    document["run"] = runObject(run);
    document["summary"] = summary;
    document["frames"] = list;
    return document.dump(2) + "\n";
}

void writeMappingDocument(
    const std::string& destination, const std::string& text, std::ostream& out)
{
    if (destination == "-")
    {
        out << text << std::flush;
        if (!out)
        {
            throw Failure("The frame mapping cannot be written to standard output.");
        }
        return;
    }
    DurableFile file(destination);
    {
        std::ofstream stream(file.temporaryPath(), std::ios::binary | std::ios::trunc);
        stream << text;
        stream.flush();
        if (!stream)
        {
            throw Failure("The frame mapping cannot be written.", "Path: \"" + destination + "\"");
        }
    }
    file.install();
}

void checkMappingDocument(const std::string& text, const std::string& origin)
{
    Json document;
    try
    {
        document = Json::parse(text);
    }
    catch (const Json::exception& exception)
    {
        throw Failure("The frame mapping is not JSON.",
            "Path: \"" + origin + "\"\nReason: " + exception.what());
    }
    const auto refuse = [&](const std::string& why)
    {
        throw Failure("The file is not a frame mapping of lenscorrect.",
            "Path: \"" + origin + "\"\nReason: " + why);
    };
    if (!document.is_object() || !document.contains("version"))
    {
        refuse("no version field");
    }
    if (!document["version"].is_number_integer())
    {
        refuse("the version is not a whole number");
    }
    if (document["version"] != mappingDocumentVersion)
    {
        throw Failure("The frame mapping is of another version than this reader's.",
            "Path: \"" + origin + "\"\nVersion: " + document["version"].dump()
                + "\nRead: " + std::to_string(mappingDocumentVersion));
    }
    if (!document.contains("run") || !document["run"].is_object())
    {
        refuse("no run object");
    }
    if (!document.contains("frames") || !document["frames"].is_array())
    {
        refuse("no frames array");
    }
    if (!document.contains("ready") || !document["ready"].is_boolean())
    {
        refuse("no ready flag");
    }
}

} // namespace LensCorrect
