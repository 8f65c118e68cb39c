// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause

// A loadable module that exports something, but not the entry point.
extern "C" __attribute__((visibility("default"))) int notTheEntryPoint() { return 0; }
