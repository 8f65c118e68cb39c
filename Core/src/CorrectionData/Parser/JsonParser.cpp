// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/Parser/JsonParser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <vector>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include "Exception/ClassicNumberReader.h"
#include "Exception/Exception.h"

namespace
{

namespace pt = boost::property_tree;

// The data is accepted only for the radii at which the renderers interpolate.
const std::array<float, 6> interpolationRadii = { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };

Exception invalidFormat() { return Exception("JSON metadata string has an invalid format."); }

// The JSON reader recurses once per nesting level, so a long run of brackets would overflow the
// stack of the host process. Valid metadata nests four levels deep.
constexpr int maximumNestingDepth = 32;

bool nestsDeeperThan(const std::string& text, int depthLimit)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text)
    {
        if (escaped)
        {
            escaped = false;
        }
        else if (inString)
        {
            escaped = c == '\\';
            inString = c != '"';
        }
        else if (c == '"')
        {
            inString = true;
        }
        else if (c == '[' || c == '{')
        {
            if (++depth > depthLimit)
            {
                return true;
            }
        }
        else if (c == ']' || c == '}')
        {
            --depth;
        }
    }
    return false;
}

// JSON has no NaN or infinity: a text that reads as one is no JSON number.
float floatFromText(ClassicNumberReader& numbers, const std::string& text)
{
    float value = 0.0f;
    if (!numbers.read(text, value) || !std::isfinite(value))
    {
        throw invalidFormat();
    }
    return value;
}

uint32_t unsignedFromText(ClassicNumberReader& numbers, const std::string& text)
{
    unsigned int value = 0;
    if (!numbers.read(text, value))
    {
        throw invalidFormat();
    }
    return value;
}

// The children of the node at path, in document order.
std::vector<float> asFloatVector(
    ClassicNumberReader& numbers, const pt::ptree& tree, const std::string& path)
{
    std::vector<float> values;
    for (const auto& child : tree.get_child(path))
    {
        values.push_back(floatFromText(numbers, child.second.data()));
    }
    return values;
}

std::array<float, 6> sixValues(
    ClassicNumberReader& numbers, const pt::ptree& tree, const std::string& path)
{
    const std::vector<float> values = asFloatVector(numbers, tree, path);
    std::array<float, 6> six {};
    if (values.size() != six.size())
    {
        throw invalidFormat();
    }
    std::copy(values.begin(), values.end(), six.begin());
    return six;
}

// Half the image diagonal equals the image radius at this sensor width.
float sensorWidthForImageRadius(float imageRadius, uint32_t clipWidth, uint32_t clipHeight)
{
    const float width = static_cast<float>(clipWidth);
    const float height = static_cast<float>(clipHeight);
    return imageRadius / (std::sqrt(width * width + height * height) * 0.5f) * width;
}

void parseTree(const pt::ptree& tree, CorrectionData::Header& header, CorrectionData::Frame& frame)
{
    ClassicNumberReader numbers;
    header.cameraManufacturer = tree.get<std::string>("recordingFormat.camera.manufacturer");
    header.cameraModel = tree.get<std::string>("recordingFormat.camera.model");
    header.clipWidth
        = unsignedFromText(numbers, tree.get<std::string>("recordingFormat.clipResolution.width"));
    header.clipHeight
        = unsignedFromText(numbers, tree.get<std::string>("recordingFormat.clipResolution.height"));
    const float imageRadius
        = floatFromText(numbers, tree.get<std::string>("recordingFormat.imageRadius"));
    header.sensorWidth
        = sensorWidthForImageRadius(imageRadius, header.clipWidth, header.clipHeight);

    if (sixValues(numbers, tree, "frameData.interpolationPoints.heights") != interpolationRadii)
    {
        throw invalidFormat();
    }
    frame.shading = sixValues(numbers, tree, "frameData.interpolationPoints.shading");
    frame.radialDistortion
        = sixValues(numbers, tree, "frameData.interpolationPoints.radialDistortion");
}

} // namespace

namespace CorrectionData
{

void JsonParser::parse(const std::string& jsonString, Header& header, Frame& frame)
{
    Header parsedHeader {};
    Frame parsedFrame {};
    if (nestsDeeperThan(jsonString, maximumNestingDepth))
    {
        throw invalidFormat();
    }
    try
    {
        std::istringstream stream(jsonString);
        pt::ptree tree;
        pt::read_json(stream, tree);
        parseTree(tree, parsedHeader, parsedFrame);
    }
    catch (const pt::ptree_error&)
    {
        throw invalidFormat();
    }
    header = std::move(parsedHeader);
    frame = std::move(parsedFrame);
}

} // namespace CorrectionData
