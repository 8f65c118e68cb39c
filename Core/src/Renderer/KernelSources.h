// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace Renderer
{

/// OpenCL C text of Kernels/ShadingCorrection.cl, embedded at build time.
extern const char* const shadingKernelSource;
/// OpenCL C text of Kernels/DistortionCorrection.cl, embedded at build time.
extern const char* const distortionKernelSource;

inline constexpr const char* shadingImageKernelName = "shading";
inline constexpr const char* shadingMapKernelName = "shadingMap";
inline constexpr const char* distortionImageKernelName = "distortion";
inline constexpr const char* distortionMapKernelName = "distortionMap";

} // namespace Renderer
