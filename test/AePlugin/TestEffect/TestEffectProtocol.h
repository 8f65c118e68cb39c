// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// What the framework test effect does, as a test tells it through the effect's parameters
// (set in the simulated host before a command). Shared by the effect and the tests.
namespace TestEffect
{

enum Parameter
{
    behaviourParameter = 1, ///< popup: a Behaviour
    argumentParameter = 2, ///< float slider: the behaviour's argument
    growWidthParameter = 3, ///< float slider: frame setup enlarges the output by this much
    growHeightParameter = 4,
    parameterCount = 5, ///< with the input layer
};

/// Every operation follows the behaviour; "normal" ones write their own name to return_msg
/// (without asking the host to show it), so a test sees which operation ran.
enum Behaviour
{
    normal = 1,
    throwPair = 2, ///< brief "Failure in <operation>.", detailed with the process id
    throwInteger = 3, ///< the argument as a host error code
    throwBadAlloc = 4,
    throwStdException = 5,
    throwUnknown = 6, ///< neither a std::exception nor one of the framework's kinds
    throwLongPair = 7, ///< brief of `argument` times "é" (two bytes each)
    throwFormatPair = 8, ///< brief full of printf directives
    reportClip = 9, ///< the clip's path and name replace the sequence data (see below)
    writeValue = 10, ///< render writes `argument` to every channel of every pixel
};

/// reportClip's sequence data: "<0|1>\n<path>\n<0|1>\n<name>" (result of filePath, the path,
/// result of fileName, the name).

inline const char* const choices = "Normal|Pair|Integer|BadAlloc|StdException|Unknown|LongPair|"
                                   "FormatPair|ReportClip|WriteValue";

/// The log file's identifier: unique per process, so parallel test processes never share one.
inline const char* const pluginIdPrefix = "com.vuzev.LensCorrection.FrameworkTest.";

} // namespace TestEffect
