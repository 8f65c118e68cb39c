// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/OpenTrackIoSamples.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <utility>

#include <boost/property_tree/json_parser.hpp>

#include "Common/Failure.h"
#include "Exception/Exception.h"
#include "LensData/OpenTrackIoConversion.h"
#include "LensData/OpenTrackIoFields.h"

namespace LensCorrect
{

using namespace OpenTrackIo;

namespace
{

    constexpr size_t radialTerms = 6;
    /// Sensor millimetres and pixels may differ this much in aspect ratio: rounding of either.
    constexpr double aspectTolerance = 0.005;

    bool isObject(const pt::ptree& tree) { return !tree.empty() && !tree.front().first.empty(); }

    /// Lays a later static block over the state so far: member by member, so that a block that
    /// leaves out a group (the camera, say) keeps the earlier one. Lists and values replace.
    void carryForward(pt::ptree& state, const pt::ptree& block)
    {
        if (!isObject(block) || !isObject(state))
        {
            state = block;
            return;
        }
        for (const auto& [key, child] : block)
        {
            const auto found = state.find(key);
            if (found == state.not_found())
            {
                state.push_back({ key, child });
            }
            else
            {
                carryForward(state.to_iterator(found)->second, child);
            }
        }
    }

    Camera readCamera(const pt::ptree& block, const std::optional<Size>& plate)
    {
        Camera camera;
        const std::string dimensions = "static.camera.activeSensorPhysicalDimensions";
        const std::string resolution = "static.camera.activeSensorResolution";
        const pt::ptree& size = require(block, "camera.activeSensorPhysicalDimensions", dimensions);
        camera.width = numberAt(size, "width", dimensions);
        camera.height = numberAt(size, "height", dimensions);
        // Optional: without it the plate is the picture of the whole active area.
        const pt::ptree* pixels = find(block, "camera.activeSensorResolution");
        if (pixels)
        {
            camera.pixelsWide = wholeAt(*pixels, "width", resolution);
            camera.pixelsHigh = wholeAt(*pixels, "height", resolution);
        }
        else if (plate)
        {
            camera.pixelsWide = plate->width;
            camera.pixelsHigh = plate->height;
        }
        else
        {
            throw SampleProblem { "has no " + resolution + " and no plate to take its size from.",
                "" };
        }
        if (!(camera.width > 0.0 && camera.height > 0.0
                && std::isfinite(std::hypot(camera.width, camera.height)) && camera.pixelsWide > 0
                && camera.pixelsHigh > 0))
        {
            throw SampleProblem { "has no active sensor area in its static block.",
                "Field: " + dimensions + ", " + resolution };
        }
        // One scale serves x and y in the library's model: pixels must be square on the sensor.
        const double sensorAspect = camera.width / camera.height;
        const double pixelAspect = double(camera.pixelsWide) / double(camera.pixelsHigh);
        if (!(std::abs(sensorAspect / pixelAspect - 1.0) <= aspectTolerance))
        {
            const std::string sensor
                = decimal(camera.width, 3) + " x " + decimal(camera.height, 3) + " mm";
            const std::string picture = std::to_string(camera.pixelsWide) + " x "
                + std::to_string(camera.pixelsHigh) + " px" + (pixels ? "" : " (the plate's)");
            throw SampleProblem { "has a sensor of " + sensor + " recorded at " + picture
                    + ": their aspect ratios differ, so its pixels are not square, which a "
                      "radial correction cannot represent.",
                "Sensor: " + sensor + " (" + decimal(sensorAspect, 4)
                    + ":1)\nResolution: " + picture + " (" + decimal(pixelAspect, 4)
                    + ":1)\nField: " + dimensions + (pixels ? ", " + resolution : std::string()) };
        }
        camera.make = block.get<std::string>("camera.make", "");
        camera.model = block.get<std::string>("camera.model", "");
        return camera;
    }

    BrownConrady readDistortion(const pt::ptree& entry, const std::string& field)
    {
        BrownConrady model;
        const std::string kind = entry.get<std::string>("model", "Brown-Conrady D-U");
        if (kind != "Brown-Conrady D-U" && kind != "Brown-Conrady U-D")
        {
            throw SampleProblem { "has a distortion model other than Brown-Conrady.",
                "Field: " + field + ".model\nValue: \"" + kind + "\"" };
        }
        model.undistortedToDistorted = kind == "Brown-Conrady U-D";
        const std::string radial = field + ".radial";
        const auto terms = elements(require(entry, "radial", radial), radial);
        if (terms.size() > radialTerms)
        {
            throw SampleProblem { "has more than six radial distortion terms.",
                "Field: " + radial };
        }
        for (size_t i = 0; i < terms.size(); ++i)
        {
            model.radial.push_back(number(*terms[i], indexed(radial, i)));
        }
        if (const pt::ptree* tangential = find(entry, "tangential"))
        {
            const std::string name = field + ".tangential";
            const auto p = elements(*tangential, name);
            model.p1 = number(*p[0], indexed(name, 0));
            model.p2 = p.size() > 1 ? number(*p[1], indexed(name, 1)) : 0.0;
        }
        return model;
    }

    std::optional<OpenTrackIoTimecode> readTimecode(const pt::ptree& sample)
    {
        const pt::ptree* node = find(sample, "timing.timecode");
        if (!node)
        {
            return std::nullopt;
        }
        const std::string field = "timing.timecode";
        const uint32_t hours = wholeAt(*node, "hours", field);
        const uint32_t minutes = wholeAt(*node, "minutes", field);
        const uint32_t seconds = wholeAt(*node, "seconds", field);
        const uint32_t frames = wholeAt(*node, "frames", field);
        // Recorders before version 1.0 nest the rate and sub-frame in "format".
        const pt::ptree* rate = find(*node, "frameRate");
        const pt::ptree* format = find(*node, "format");
        const pt::ptree& frameRate
            = rate ? *rate : require(format ? *format : *node, "frameRate", field + ".frameRate");
        OpenTrackIoTimecode result { Timecode::Timecode("00:00:00:00", 0.0f), 0, 1, false, 0, {} };
        result.rateNumerator = wholeAt(frameRate, "num", field + ".frameRate");
        result.rateDenominator = wholeAt(frameRate, "denom", field + ".frameRate");
        const std::string dropFrame = node->get<std::string>("dropFrame", "false");
        if (dropFrame != "true" && dropFrame != "false")
        {
            throw SampleProblem { "has no true or false at " + field + ".dropFrame.",
                "Value: \"" + dropFrame + "\"" };
        }
        result.dropFrame = dropFrame == "true";
        const pt::ptree* subFrame = find(*node, "subFrame");
        subFrame = subFrame || !format ? subFrame : find(*format, "subFrame");
        result.subFrame = subFrame ? whole(*subFrame, field + ".subFrame") : 0;

        char label[64];
        std::snprintf(label, sizeof label, "%02u:%02u:%02u:%02u", hours, minutes, seconds, frames);
        const std::string details = std::string("Timecode: ") + label + "\nFrame Rate: "
            + std::to_string(result.rateNumerator) + "/" + std::to_string(result.rateDenominator);
        const std::optional<FrameRate> exactRate = result.rateDenominator == 0
            ? std::nullopt
            : FrameRate::of(double(result.rateNumerator) / double(result.rateDenominator));
        if (!exactRate)
        {
            throw SampleProblem { "has no frame rate at timing.timecode.", details };
        }
        result.rate = *exactRate;
        try
        {
            result.timecode = Timecode::Timecode(
                label, float(double(result.rateNumerator) / double(result.rateDenominator)));
        }
        catch (const Exception& exception)
        {
            throw SampleProblem { "has an invalid timing.timecode.",
                details + "\nReason: " + exception.what() };
        }
        if (!momentOf(result.timecode, result.rate, result.dropFrame))
        {
            throw SampleProblem { "has a timing.timecode that its rate does not count.",
                details + (result.dropFrame ? "\nReason: a label that drop-frame skips" : "") };
        }
        return result;
    }

    OpenTrackIoSample readSample(const pt::ptree& tree, const Camera& camera, float overscan)
    {
        OpenTrackIoSample sample;
        // Optional: a sample without it has no distortion data for its frame.
        if (const pt::ptree* distortion = find(tree, "lens.distortion"))
        {
            const auto entries = elements(*distortion, "lens.distortion");
            for (size_t i = 0; i < entries.size(); ++i)
            {
                sample.distortion.push_back(
                    readDistortion(*entries[i], indexed("lens.distortion", i)));
            }
        }

        std::array<double, 3> falloff {};
        const pt::ptree* exposureFalloff = find(tree, "lens.exposureFalloff");
        if (exposureFalloff)
        {
            const std::string field = "lens.exposureFalloff";
            falloff[0] = numberAt(*exposureFalloff, "a1", field);
            falloff[1] = optionalNumber(*exposureFalloff, "a2", field + ".a2").value_or(0.0);
            falloff[2] = optionalNumber(*exposureFalloff, "a3", field + ".a3").value_or(0.0);
        }
        for (const char* offset : { "distortionOffset", "projectionOffset" })
        {
            const std::string field = std::string("lens.") + offset;
            if (const pt::ptree* node = find(tree, field))
            {
                sample.centreX += numberAt(*node, "x", field);
                sample.centreY += numberAt(*node, "y", field);
            }
        }
        sample.timecode = readTimecode(tree);
        sample.focalLength
            = optionalNumber(tree, "lens.pinholeFocalLength", "lens.pinholeFocalLength");
        if (!sample.focalLength)
        {
            // Its name before version 1.0.
            sample.focalLength = optionalNumber(tree, "lens.focalLength", "lens.focalLength");
        }
        sample.focusDistance = optionalNumber(tree, "lens.focusDistance", "lens.focusDistance");
        convertLens(sample, camera, falloff, 1.0 + overscan / 100.0);
        return sample;
    }

    std::string readWhole(const std::string& path)
    {
        std::error_code error;
        const bool regular = std::filesystem::is_regular_file(path, error);
        std::ifstream stream;
        if (regular)
        {
            stream.open(path, std::ios::binary);
        }
        std::string text;
        if (stream.is_open())
        {
            text.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
        }
        if (!stream.is_open() || stream.bad())
        {
            const std::string reason = error ? error.message()
                : regular                    ? std::string(std::strerror(errno))
                                             : "not a regular file";
            throw Failure("The OpenTrackIO samples file cannot be read.",
                "Samples File: \"" + path + "\"\nReason: " + reason);
        }
        return text;
    }

} // namespace

OpenTrackIoSamples::OpenTrackIoSamples(
    const std::string& path, const std::optional<SamplePlate>& plate)
    : OpenTrackIoSamples(FromText {}, readWhole(path), path, plate)
{
}

OpenTrackIoSamples OpenTrackIoSamples::fromText(
    std::string text, const std::string& path, const std::optional<SamplePlate>& plate)
{
    return OpenTrackIoSamples(FromText {}, std::move(text), path, plate);
}

OpenTrackIoSamples::OpenTrackIoSamples(
    FromText, std::string text, std::string path, const std::optional<SamplePlate>& plate)
    : filePath(std::move(path))
{
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
    {
        text.erase(0, 3); // A byte order mark that some editors write.
    }
    const std::string file = "Samples File: \"" + filePath + "\"";
    pt::ptree staticState;
    std::optional<Camera> camera;
    const auto add = [&](const std::string& where, const std::function<pt::ptree()>& parse)
    {
        try
        {
            pt::ptree tree;
            try
            {
                tree = parse();
            }
            catch (const pt::json_parser_error& error)
            {
                throw SampleProblem { "is not valid JSON.", "Reason: " + error.message() };
            }
            if (!isObject(tree))
            {
                throw SampleProblem { "is not a JSON object.", "" };
            }
            // Recorders attach the static block now and then, often only the groups that
            // changed; it holds until the next one.
            if (const pt::ptree* block = find(tree, "static"))
            {
                carryForward(staticState, *block);
                camera = readCamera(
                    staticState, plate ? std::optional<Size>(plate->picture) : std::nullopt);
            }
            if (!camera)
            {
                throw SampleProblem { "comes before any static block.",
                    "Hint: the camera's sensor area comes from a sample's static block" };
            }
            OpenTrackIoSample sample
                = readSample(tree, *camera, plate ? plate->overscanPercent : 0.0f);
            sample.where = where;
            sample.origin = "OpenTrackIO sample at " + where + " of \"" + filePath + "\"";
            if (sample.timecode)
            {
                if (sample.timecode->subFrame != 0)
                {
                    subFrames = true;
                }
                else
                {
                    byMoment.emplace(*momentOf(sample.timecode->timecode, sample.timecode->rate,
                                         sample.timecode->dropFrame),
                        all.size());
                }
            }
            all.push_back(std::move(sample));
        }
        catch (const SampleProblem& problem)
        {
            throw Failure("OpenTrackIO sample at " + where + " " + problem.what,
                file + (problem.details.empty() ? "" : "\n" + problem.details));
        }
    };

    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text[start] == '[')
    {
        pt::ptree array;
        try
        {
            array = parseJson(text);
        }
        catch (const pt::json_parser_error& error)
        {
            throw Failure("The OpenTrackIO samples file is not valid JSON.",
                file + "\nLine: " + std::to_string(error.line()) + "\nReason: " + error.message());
        }
        size_t position = 0;
        for (const auto& element : array)
        {
            add("array position " + std::to_string(++position), [&] { return element.second; });
        }
    }
    else
    {
        size_t number = 0;
        std::istringstream lines(text);
        for (std::string line; std::getline(lines, line);)
        {
            ++number;
            if (line.find_first_not_of(" \t\r") != std::string::npos)
            {
                add("line " + std::to_string(number), [&] { return parseJson(line); });
            }
        }
    }
    if (all.empty())
    {
        throw Failure("The OpenTrackIO samples file holds no sample.", file);
    }
}

const OpenTrackIoSample* OpenTrackIoSamples::atMoment(const Moment& moment) const
{
    const auto found = byMoment.find(moment);
    return found == byMoment.end() ? nullptr : &all[found->second];
}

const OpenTrackIoSample* OpenTrackIoSamples::atPosition(size_t position) const
{
    return position < all.size() ? &all[position] : nullptr;
}

std::optional<Failure> OpenTrackIoSamples::unusable(
    const OpenTrackIoSample& sample, bool shading, bool distortion)
{
    if (distortion && sample.distortion.empty())
    {
        return Failure("The OpenTrackIO sample for the frame has no lens.distortion.",
            "Lens Data: " + sample.origin
                + "\nHint: a shading correction alone does not need distortion data");
    }
    if (shading && !sample.shadingProblem.empty())
    {
        return Failure("The OpenTrackIO sample for the frame has an exposure falloff that "
                       "reaches zero or below inside the frame.",
            sample.shadingProblem + "\nLens Data: " + sample.origin);
    }
    return std::nullopt;
}

} // namespace LensCorrect
