// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <stdexcept>
#include <string>

#include "Exception/Exception.h"

namespace LensCorrect
{

/// Why the tool cannot go on (with a frame, or at all): a brief sentence for the one-line report
/// and the detailed text that follows it on standard error. Library failures carry the library's
/// own two texts unchanged.
class Failure : public std::runtime_error
{
public:
    /// `details` are labelled lines without a trailing line feed; may be empty.
    explicit Failure(const std::string& brief, const std::string& details = std::string());

    /// The library's texts as Core::Core reports them (the detailed one starts with the brief).
    static Failure fromLibrary(const std::string& brief, const std::string& detailed);

    /// The brief sentence, then the details, each line ending in a line feed.
    const std::string& detailed() const { return detailedText; }

private:
    struct FromLibrary
    {
    };
    Failure(FromLibrary, const std::string& brief, const std::string& detailed);

    std::string detailedText;
};

/// Runs a library operation outside Core::Core, its exceptions turned into the tool's failures.
template <typename Operation> auto libraryCall(Operation operation)
{
    try
    {
        return operation();
    }
    catch (const Exception& exception)
    {
        throw Failure::fromLibrary(exception.what(), exception.detailedDescription());
    }
}

} // namespace LensCorrect
