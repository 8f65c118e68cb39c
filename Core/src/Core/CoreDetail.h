// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <string>

namespace Core
{
namespace CoreDetail
{

    /// Copies the text and its NUL into the buffer when all of it fits; otherwise returns false and
    /// leaves the buffer untouched. Text crossing the library boundary is never truncated.
    bool copyWholeText(const std::string& text, char* buffer, size_t capacity);

} // namespace CoreDetail
} // namespace Core
