// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Renderer/RendererExceptions.h"

namespace Renderer
{

NotRenderedException::NotRenderedException(
    const std::string& briefDescription, const std::string& details)
    : Exception(briefDescription, details)
{
}

} // namespace Renderer
