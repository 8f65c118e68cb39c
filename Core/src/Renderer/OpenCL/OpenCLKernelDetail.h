// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>

namespace Renderer::RendererDetail
{

/// The launch range for a buffer: the byte count rounded up to whole work-groups. The count of
/// groups is computed in single precision; the range is always a multiple of localSize.
std::size_t globalWorkSize(std::size_t bufferSize, std::size_t localSize);

} // namespace Renderer::RendererDetail
