// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData/OpenTrackIoFields.h"

#include <charconv>
#include <cstdlib>
#include <iomanip>
#include <locale>
#include <sstream>
#include <system_error>

#include <boost/property_tree/json_parser.hpp>

namespace pt = boost::property_tree;

namespace LensCorrect
{

namespace
{

    /// The JSON reader recurses once per nesting level; samples nest about six deep.
    constexpr int maximumNesting = 64;

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

    /// Reads the whole of `text` into `value`; invalid_argument where it holds anything more.
    template <typename T> std::errc parse(const std::string& text, T& value)
    {
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        return text.empty() || stop != end ? std::errc::invalid_argument : error;
    }

} // namespace

pt::ptree OpenTrackIo::parseJson(const std::string& text)
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

double OpenTrackIo::number(const pt::ptree& node, const std::string& field)
{
    double value = 0.0;
    const std::errc error = parse(node.data(), value);
    if (error != std::errc() && error != std::errc::result_out_of_range)
    {
        throw SampleProblem { "has no number at " + field + ".", fieldDetails(field, node) };
    }
    // Beyond a double: infinity or 0 as C reads it; the library refuses the infinite ones.
    return error == std::errc() ? value : std::strtod(node.data().c_str(), nullptr);
}

uint32_t OpenTrackIo::whole(const pt::ptree& node, const std::string& field)
{
    uint32_t value = 0;
    if (parse(node.data(), value) != std::errc())
    {
        throw SampleProblem { "has no whole number at " + field + ".", fieldDetails(field, node) };
    }
    return value;
}

const pt::ptree* OpenTrackIo::find(const pt::ptree& node, const std::string& path)
{
    const auto child = node.get_child_optional(path);
    return child ? &*child : nullptr;
}

const pt::ptree& OpenTrackIo::require(
    const pt::ptree& node, const std::string& path, const std::string& field)
{
    const pt::ptree* child = find(node, path);
    if (!child)
    {
        throw SampleProblem { "has no " + field + ".", "" };
    }
    return *child;
}

double OpenTrackIo::numberAt(
    const pt::ptree& node, const std::string& key, const std::string& field)
{
    return number(require(node, key, field + "." + key), field + "." + key);
}

uint32_t OpenTrackIo::wholeAt(
    const pt::ptree& node, const std::string& key, const std::string& field)
{
    return whole(require(node, key, field + "." + key), field + "." + key);
}

std::optional<double> OpenTrackIo::optionalNumber(
    const pt::ptree& node, const std::string& path, const std::string& field)
{
    const pt::ptree* child = find(node, path);
    return child ? std::optional<double>(number(*child, field)) : std::nullopt;
}

std::vector<const pt::ptree*> OpenTrackIo::elements(const pt::ptree& node, const std::string& field)
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

std::string OpenTrackIo::indexed(const std::string& field, size_t index)
{
    return field + "[" + std::to_string(index) + "]";
}

std::string OpenTrackIo::decimal(double value, int decimals)
{
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    stream << std::fixed << std::setprecision(decimals) << value;
    std::string text = stream.str();
    if (text.find('.') != std::string::npos)
    {
        text.erase(text.find_last_not_of('0') + 1);
        text.erase(text.find_last_not_of('.') + 1);
    }
    return text;
}

} // namespace LensCorrect
