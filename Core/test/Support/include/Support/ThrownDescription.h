// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace TestSupport
{

/// Runs operation, expecting it to throw ExpectedException; returns its detailed description.
template <typename ExpectedException, typename Operation>
std::string thrownDescription(Operation&& operation)
{
    try
    {
        operation();
    }
    catch (const ExpectedException& exception)
    {
        return exception.detailedDescription();
    }
    ADD_FAILURE() << "no exception thrown";
    return {};
}

} // namespace TestSupport
