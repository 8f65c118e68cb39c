// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// The one place that chooses the platform's OpenCL header; everything else includes this file.
#ifndef CL_TARGET_OPENCL_VERSION
#define CL_TARGET_OPENCL_VERSION 120
#endif

#if defined(__APPLE__)
#ifndef CL_SILENCE_DEPRECATION
#define CL_SILENCE_DEPRECATION
#endif
#include <OpenCL/opencl.h>
#else
#include <CL/cl.h>
#endif
