// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/OpenTrackIoSamples.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iterator>
#include <limits>
#include <locale>
#include <sstream>
#include <utility>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "Exception/Exception.h"
#include "lenscorrect/CommandLineDataSource.h"
#include "lenscorrect/Failure.h"

namespace pt = boost::property_tree;

namespace LensCorrect
{

namespace
{

    /// The radii (mm) at which the library takes its six shading and distortion values.
    constexpr std::array<double, 6> interpolationRadii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };
    constexpr const char* interpolationHeights = "[0,5,10,15,18,21.4]";
    constexpr size_t radialTerms = 6;
    /// Timecode rates closer than this are one rate (23.976 and 24000/1001).
    constexpr double rateTolerance = 0.01;
    /// The JSON reader recurses once per nesting level; samples nest about six deep.
    constexpr int maximumNesting = 64;

    /// Why a sample cannot be used: the end of a brief sentence, and detail lines.
    struct SampleProblem
    {
        std::string what;
        std::string details;
    };

    std::string fieldDetails(const std::string& field, const pt::ptree& node)
    {
        return "Field: " + field + "\nValue: \"" + node.data() + "\"";
    }

    bool nestsTooDeep(const std::string& text)
    {
        int depth = 0;
        bool inString = false;
        bool escaped = false;
        for (const char c : text)
        {
            if (inString)
            {
                inString = escaped || c != '"';
                escaped = !escaped && c == '\\';
            }
            else if (c == '"')
            {
                inString = true;
            }
            else if ((c == '[' || c == '{') && ++depth > maximumNesting)
            {
                return true;
            }
            else if (c == ']' || c == '}')
            {
                --depth;
            }
        }
        return false;
    }

    pt::ptree parseJson(const std::string& text)
    {
        if (nestsTooDeep(text))
        {
            throw pt::json_parser_error("nested too deeply", "", 0);
        }
        std::istringstream stream(text);
        pt::ptree tree;
        pt::read_json(stream, tree);
        return tree;
    }

    // Every JSON scalar reaches us as its text.
    double number(const pt::ptree& node, const std::string& field)
    {
        const std::string& text = node.data();
        double value = 0.0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || stop != end
            || (error != std::errc() && error != std::errc::result_out_of_range))
        {
            throw SampleProblem { "has no number at " + field + ".", fieldDetails(field, node) };
        }
        // Beyond a double: infinity or 0 as C reads it; the library refuses the infinite ones.
        return error == std::errc() ? value : std::strtod(text.c_str(), nullptr);
    }

    uint32_t whole(const pt::ptree& node, const std::string& field)
    {
        const std::string& text = node.data();
        uint32_t value = 0;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || stop != end || error != std::errc())
        {
            throw SampleProblem { "has no whole number at " + field + ".",
                fieldDetails(field, node) };
        }
        return value;
    }

    const pt::ptree* find(const pt::ptree& node, const std::string& path)
    {
        const auto child = node.get_child_optional(path);
        return child ? &*child : nullptr;
    }

    const pt::ptree& require(
        const pt::ptree& node, const std::string& path, const std::string& field)
    {
        const pt::ptree* child = find(node, path);
        if (!child)
        {
            throw SampleProblem { "has no " + field + ".", "" };
        }
        return *child;
    }

    /// The number at `key` of an object named `field`.
    double numberAt(const pt::ptree& node, const std::string& key, const std::string& field)
    {
        return number(require(node, key, field + "." + key), field + "." + key);
    }

    uint32_t wholeAt(const pt::ptree& node, const std::string& key, const std::string& field)
    {
        return whole(require(node, key, field + "." + key), field + "." + key);
    }

    std::optional<double> optionalNumber(
        const pt::ptree& node, const std::string& path, const std::string& field)
    {
        const pt::ptree* child = find(node, path);
        return child ? std::optional<double>(number(*child, field)) : std::nullopt;
    }

    /// The elements of a JSON array with at least one element.
    std::vector<const pt::ptree*> elements(const pt::ptree& node, const std::string& field)
    {
        std::vector<const pt::ptree*> list;
        for (const auto& [key, child] : node)
        {
            if (!key.empty())
            {
                break;
            }
            list.push_back(&child);
        }
        if (list.empty() || list.size() != node.size())
        {
            throw SampleProblem { "has no list at " + field + ".", fieldDetails(field, node) };
        }
        return list;
    }

    std::string indexed(const std::string& field, size_t index)
    {
        return field + "[" + std::to_string(index) + "]";
    }

    /// The camera facts of a `static` block.
    struct Camera
    {
        double width = 0.0;
        double height = 0.0;
        uint32_t pixelsWide = 0;
        uint32_t pixelsHigh = 0;
        std::string make;
        std::string model;
    };

    Camera readCamera(const pt::ptree& block)
    {
        Camera camera;
        const std::string dimensions = "static.camera.activeSensorPhysicalDimensions";
        const std::string resolution = "static.camera.activeSensorResolution";
        const pt::ptree& size = require(block, "camera.activeSensorPhysicalDimensions", dimensions);
        const pt::ptree& pixels = require(block, "camera.activeSensorResolution", resolution);
        camera.width = numberAt(size, "width", dimensions);
        camera.height = numberAt(size, "height", dimensions);
        camera.pixelsWide = wholeAt(pixels, "width", resolution);
        camera.pixelsHigh = wholeAt(pixels, "height", resolution);
        if (!(camera.width > 0.0 && camera.height > 0.0 && std::isfinite(camera.width)
                && std::isfinite(camera.height) && camera.pixelsWide > 0 && camera.pixelsHigh > 0))
        {
            throw SampleProblem { "has no active sensor area in its static block.",
                "Field: " + dimensions + ", " + resolution };
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
        OpenTrackIoTimecode result { Timecode::Timecode("00:00:00:00", 0.0f), 0, 1, false, 0 };
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
        if (result.rateNumerator == 0 || result.rateDenominator == 0)
        {
            throw SampleProblem { "has no frame rate at timing.timecode.", details };
        }
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
        return result;
    }

    /// A JSON string literal.
    std::string quoted(const std::string& text)
    {
        std::string literal = "\"";
        for (const char c : text)
        {
            if (c == '"' || c == '\\')
            {
                literal += '\\';
                literal += c;
            }
            else if (static_cast<unsigned char>(c) < 0x20)
            {
                char escape[8];
                std::snprintf(
                    escape, sizeof escape, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                literal += escape;
            }
            else
            {
                literal += c;
            }
        }
        return literal + "\"";
    }

    /// The library reads floats. JSON has no NaN or infinity; null is no number to the library
    /// either, so it refuses such a frame with its own message.
    std::string jsonNumber(double value)
    {
        if (!(std::abs(value) <= std::numeric_limits<float>::max()))
        {
            return "null";
        }
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, float(value));
        return std::string(text, result.ptr);
    }

    std::string jsonList(const std::array<double, 6>& values)
    {
        std::string list = "[";
        for (const double value : values)
        {
            list += (list.size() > 1 ? "," : "") + jsonNumber(value);
        }
        return list + "]";
    }

    std::string frameJson(const Camera& camera, double imageRadius,
        const std::array<double, 6>& shading, const std::array<double, 6>& distortion)
    {
        return R"({"recordingFormat":{"camera":{"manufacturer":)" + quoted(camera.make)
            + R"(,"model":)" + quoted(camera.model) + R"(},"clipResolution":{"width":)"
            + std::to_string(camera.pixelsWide) + R"(,"height":)"
            + std::to_string(camera.pixelsHigh) + R"(},"imageRadius":)" + jsonNumber(imageRadius)
            + R"(},"frameData":{"interpolationPoints":{"heights":)" + interpolationHeights
            + R"(,"shading":)" + jsonList(shading) + R"(,"radialDistortion":)"
            + jsonList(distortion) + "}}}";
    }

    OpenTrackIoSample convert(const pt::ptree& tree, const Camera& camera,
        const std::optional<RecordingFormatDatabase::RecordingFormat>& recordingFormat)
    {
        OpenTrackIoSample sample;
        const pt::ptree* distortion = find(tree, "lens.distortion");
        if (!distortion)
        {
            throw SampleProblem { "has no lens.distortion.", "" };
        }
        const auto entries = elements(*distortion, "lens.distortion");
        for (size_t i = 0; i < entries.size(); ++i)
        {
            sample.distortion.push_back(readDistortion(*entries[i], indexed("lens.distortion", i)));
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
        sample.sensorWidth = camera.width;

        const double imageRadius = 0.5 * std::hypot(camera.width, camera.height);
        if (recordingFormat && recordingFormat->imageAreaRadius > 0.0f
            && std::isfinite(recordingFormat->imageAreaRadius)
            && std::abs(imageRadius / recordingFormat->imageAreaRadius - 1.0) > 1e-6)
        {
            sample.radiusScale = imageRadius / recordingFormat->imageAreaRadius;
        }
        std::array<double, 6> shading {};
        std::array<double, 6> radialDistortion {};
        const BrownConrady& lens = sample.distortion.front();
        for (size_t i = 0; i < interpolationRadii.size(); ++i)
        {
            const double r = interpolationRadii[i] * sample.radiusScale;
            const double r2 = r * r;
            shading[i] = 100.0 * (1.0 - r2 * (falloff[0] + r2 * (falloff[1] + r2 * falloff[2])));
            radialDistortion[i] = i == 0 ? 0.0 : 1000.0 * (1.0 - lens.undistortedRatio(r));
        }
        sample.frameMetadata = frameJson(camera, imageRadius, shading, radialDistortion);
        if (sample.frameMetadata.size() > maximumLibraryTextLength)
        {
            throw SampleProblem { "makes lens data longer than the library takes.",
                "Length: " + std::to_string(sample.frameMetadata.size()) + " characters" };
        }
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

    bool isObject(const pt::ptree& tree) { return !tree.empty() && !tree.front().first.empty(); }

} // namespace

double BrownConrady::undistortedRatio(double r) const
{
    // R(u) = (1 + k1 u^2 + k3 u^4 + k5 u^6) / (1 + k2 u^2 + k4 u^4 + k6 u^6), with its slope.
    const auto ratio = [this](double u, double* slope)
    {
        double numerator = 1.0;
        double denominator = 1.0;
        double numeratorSlope = 0.0;
        double denominatorSlope = 0.0;
        for (size_t i = 0; i < radial.size(); ++i)
        {
            const double power = double(2 * (i / 2) + 2);
            const double term = radial[i] * std::pow(u, power);
            const double termSlope = radial[i] * power * std::pow(u, power - 1.0);
            (i % 2 == 0 ? numerator : denominator) += term;
            (i % 2 == 0 ? numeratorSlope : denominatorSlope) += termSlope;
        }
        if (slope)
        {
            *slope = (numeratorSlope * denominator - numerator * denominatorSlope)
                / (denominator * denominator);
        }
        return numerator / denominator;
    };
    if (!undistortedToDistorted)
    {
        return ratio(r, nullptr);
    }
    if (r == 0.0)
    {
        return 1.0;
    }
    // Solve u R(u) = r by Newton's method from u = r.
    double u = r;
    for (int iteration = 0; iteration < 100; ++iteration)
    {
        double slope = 0.0;
        const double value = ratio(u, &slope);
        const double step = (u * value - r) / (value + u * slope);
        if (!std::isfinite(step))
        {
            return std::nan("");
        }
        u -= step;
        if (std::abs(step) <= 1e-14 * std::abs(r))
        {
            break;
        }
    }
    const double residual = u * ratio(u, nullptr) - r;
    return std::abs(residual) <= 1e-9 * std::abs(r) ? u / r : std::nan("");
}

OpenTrackIoSamples::OpenTrackIoSamples(const std::string& path,
    const std::optional<RecordingFormatDatabase::RecordingFormat>& recordingFormat)
    : filePath(path)
{
    std::string text = readWhole(path);
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
    {
        text.erase(0, 3); // A byte order mark that some editors write.
    }
    const std::string file = "Samples File: \"" + path + "\"";
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
            // Recorders attach the static block now and then; it holds until the next one.
            if (const pt::ptree* block = find(tree, "static"))
            {
                camera = readCamera(*block);
            }
            if (!camera)
            {
                throw SampleProblem { "comes before any static block.",
                    "Hint: the camera's sensor area comes from a sample's static block" };
            }
            OpenTrackIoSample sample = convert(tree, *camera, recordingFormat);
            sample.where = where;
            sample.origin = "OpenTrackIO sample at " + where + " of \"" + path + "\"";
            if (sample.timecode)
            {
                byTimecode.emplace(sample.timecode->timecode.string(false), all.size());
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

const OpenTrackIoSample* OpenTrackIoSamples::atTimecode(const Timecode::Timecode& timecode) const
{
    const OpenTrackIoSample* found = nullptr;
    const auto [begin, end] = byTimecode.equal_range(timecode.string(false));
    for (auto entry = begin; entry != end; ++entry)
    {
        const OpenTrackIoSample& sample = all[entry->second];
        const bool sameRate = timecode.framesPerSecond == 0.0f
            || std::abs(double(sample.timecode->timecode.framesPerSecond)
                   - double(timecode.framesPerSecond))
                <= rateTolerance;
        if (sameRate && sample.timecode->subFrame == 0)
        {
            return &sample;
        }
        found = sameRate && !found ? &sample : found;
    }
    return found;
}

const OpenTrackIoSample* OpenTrackIoSamples::atPosition(size_t position) const
{
    return position < all.size() ? &all[position] : nullptr;
}

namespace
{

    /// The largest value of one kind of loss over the samples, and where it first occurs.
    struct Tally
    {
        const char* what;
        double largest = 0.0;
        size_t count = 0;
        const OpenTrackIoSample* first = nullptr;

        void add(const OpenTrackIoSample& sample, double value)
        {
            largest = count == 0 ? value : std::fmax(largest, value);
            first = first ? first : &sample;
            ++count;
        }
    };

    std::string fixed(double value, int decimals)
    {
        std::ostringstream stream;
        stream.imbue(std::locale::classic());
        stream << std::fixed << std::setprecision(decimals) << value;
        return stream.str();
    }

} // namespace

std::vector<std::string> statedLosses(
    const std::vector<const OpenTrackIoSample*>& used, Size picture, bool strict)
{
    Tally tangential { "tangential distortion (p1, p2) is left out" };
    Tally centre { "the distortion centre off the image centre (distortionOffset + "
                   "projectionOffset) is left out" };
    Tally entries { "only the first of several lens.distortion entries is used" };
    Tally scaled { "radii are scaled to the recording format's image radius" };
    for (const OpenTrackIoSample* sample : used)
    {
        const BrownConrady& lens = sample->distortion.front();
        // The frame's corners on the sample's sensor, mm, with the picture spanning its width.
        const double pixelsPerMm = picture.width / sample->sensorWidth;
        const double cornerX = 0.5 * sample->sensorWidth;
        const double cornerY = picture.width == 0 ? 0.0 : cornerX * picture.height / picture.width;
        const double cornerRadius = std::hypot(cornerX, cornerY);
        double tangentialShift = 0.0;
        double centreShift = 0.0;
        for (const double x : { -cornerX, cornerX })
        {
            for (const double y : { -cornerY, cornerY })
            {
                const double r2 = x * x + y * y;
                tangentialShift = std::fmax(tangentialShift,
                    std::hypot(2.0 * lens.p1 * x * y + lens.p2 * (r2 + 2.0 * x * x),
                        2.0 * lens.p2 * x * y + lens.p1 * (r2 + 2.0 * y * y)));
                // Undistorted about the true centre against undistorted about the image centre.
                const double qx = x - sample->centreX;
                const double qy = y - sample->centreY;
                const double aboutCentre = lens.undistortedRatio(std::hypot(qx, qy));
                const double aboutMiddle = lens.undistortedRatio(std::sqrt(r2));
                centreShift = std::fmax(centreShift,
                    std::hypot(sample->centreX + qx * aboutCentre - x * aboutMiddle,
                        sample->centreY + qy * aboutCentre - y * aboutMiddle));
            }
        }
        if (lens.p1 != 0.0 || lens.p2 != 0.0)
        {
            tangential.add(*sample, tangentialShift * pixelsPerMm);
        }
        if (sample->centreX != 0.0 || sample->centreY != 0.0)
        {
            centre.add(*sample, centreShift * pixelsPerMm);
        }
        if (sample->distortion.size() > 1)
        {
            double difference = 0.0;
            for (size_t i = 1; i < sample->distortion.size(); ++i)
            {
                difference = std::fmax(difference,
                    std::abs(sample->distortion[i].undistortedRatio(cornerRadius)
                        - lens.undistortedRatio(cornerRadius)));
            }
            entries.add(*sample, difference * cornerRadius * pixelsPerMm);
        }
        if (sample->radiusScale != 1.0)
        {
            scaled.add(*sample, sample->radiusScale);
        }
    }

    std::vector<std::string> lines;
    for (const Tally* tally : { &tangential, &centre, &entries, &scaled })
    {
        if (tally->count == 0)
        {
            continue;
        }
        const bool isScale = tally == &scaled;
        const std::string amount = isScale
            ? "by up to " + fixed(tally->largest, 4)
            : "up to " + fixed(tally->largest, 2) + " px at the frame corner";
        if (strict && !isScale)
        {
            throw Failure(
                tally->first->origin + " cannot be corrected exactly: " + tally->what + ".",
                "Displacement: " + amount
                    + "\nHint: without --strict the radial part is corrected and the loss "
                      "reported");
        }
        lines.push_back("OpenTrackIO: " + std::string(tally->what) + ", " + amount + ", in "
            + std::to_string(tally->count) + " of " + std::to_string(used.size())
            + " samples (the first at " + tally->first->where + ").");
    }
    return lines;
}

} // namespace LensCorrect
