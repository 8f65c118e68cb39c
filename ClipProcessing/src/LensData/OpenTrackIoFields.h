// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The JSON of an OpenTrackIO sample: parsed, and its fields read with the field named where
// one is missing or malformed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <boost/property_tree/ptree.hpp>

namespace LensCorrect
{

namespace OpenTrackIo
{

    namespace pt = boost::property_tree;

    /// Why a sample cannot be used: the end of a brief sentence, and detail lines.
    struct SampleProblem
    {
        std::string what;
        std::string details;
    };

    /// Throws pt::json_parser_error for text that is no JSON or nests too deeply.
    pt::ptree parseJson(const std::string& text);

    // Every JSON scalar reaches us as its text.
    double number(const pt::ptree& node, const std::string& field);
    uint32_t whole(const pt::ptree& node, const std::string& field);

    /// The node at `path`; null when there is none.
    const pt::ptree* find(const pt::ptree& node, const std::string& path);
    /// The node at `path`; SampleProblem naming `field` when there is none.
    const pt::ptree& require(
        const pt::ptree& node, const std::string& path, const std::string& field);

    /// The number at `key` of an object named `field`.
    double numberAt(const pt::ptree& node, const std::string& key, const std::string& field);
    uint32_t wholeAt(const pt::ptree& node, const std::string& key, const std::string& field);
    std::optional<double> optionalNumber(
        const pt::ptree& node, const std::string& path, const std::string& field);

    /// The elements of a JSON array with at least one element.
    std::vector<const pt::ptree*> elements(const pt::ptree& node, const std::string& field);
    std::string indexed(const std::string& field, size_t index);

    /// `value` with up to `decimals` decimals, trailing zeros left out: "25", "29.97".
    std::string decimal(double value, int decimals);

} // namespace OpenTrackIo

} // namespace LensCorrect
