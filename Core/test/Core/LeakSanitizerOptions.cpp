// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause

// Read by LeakSanitizer, in sanitizer builds only. In this process its exit-time scan reads a
// garbage dynamic-TLS entry of the main thread on this glibc and its tracer crashes ("Tracer
// caught signal 11") after every test has passed. Thread-local roots are skipped here only; heap,
// stacks and globals are still scanned. Processes that load third-party libraries keep the default,
// since their thread-local caches would read as leaks.
extern "C" const char* __lsan_default_options() { return "use_tls=0"; }
