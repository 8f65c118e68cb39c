// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// The one place that knows where the BLAS and LAPACK declarations come from.
#if defined(__APPLE__)
#include <Accelerate/Accelerate.h>
#else
#include <cblas.h>

// The Fortran LAPACK routines, which no installed header declares (32-bit integers;
// Fortran passes everything by non-const pointer, as Accelerate's declarations do).
extern "C"
{
    void dgetrf_(int* m, int* n, double* a, int* lda, int* ipiv, int* info);
    void dgetri_(int* n, double* a, int* lda, int* ipiv, double* work, int* lwork, int* info);
}
#endif
