// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Exception/Exception.h"

Exception::Exception(const std::string& briefDescription)
    : briefDescription(briefDescription)
{
}

Exception::Exception(const std::string& briefDescription, const std::string& details)
    : briefDescription(briefDescription)
    , details(details)
{
}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return briefDescription.c_str(); }

std::string Exception::detailedDescription() const
{
    std::string description = briefDescription + "\n";
    if (!details.empty())
    {
        description += details;
        description += "\n";
    }
    return description;
}
