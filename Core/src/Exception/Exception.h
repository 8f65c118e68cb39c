// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <exception>
#include <string>

/// Base of every error the library raises. Carries a one-sentence brief description and
/// zero or more labelled detail lines (separated by '\n', no trailing line feed).
class Exception : public std::exception
{
public:
    explicit Exception(const std::string& briefDescription);
    Exception(const std::string& briefDescription, const std::string& details);
    ~Exception() override;

    const char* what() const noexcept override;

    /// The brief description and a line feed, then the details and a line feed if there are any.
    std::string detailedDescription() const;

private:
    std::string briefDescription;
    std::string details;
};
