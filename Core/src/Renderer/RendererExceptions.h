// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Exception/Exception.h"

namespace Renderer
{

/// Raised by the renderers with a brief text and details of their own.
class NotRenderedException : public Exception
{
public:
    NotRenderedException(const std::string& briefDescription, const std::string& details);
};

} // namespace Renderer
