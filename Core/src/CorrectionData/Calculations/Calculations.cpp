// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/Calculations/Calculations.h"

#include <array>
#include <cmath>

#include "CorrectionData/Calculations/Lapack.h"
#include "CorrectionData/CorrectionDataExceptions.h"

namespace CorrectionData::Calculations
{

void calculateCoefficients(const float* x, const float* y, float* coefficients)
{
    constexpr int n = matrixSize;
    // The Vandermonde matrix in column-major order, as LAPACK expects it: rows of equal x
    // values then cancel exactly during elimination, so LAPACK reports the zero pivot.
    std::array<double, n * n> matrix;
    std::array<double, n> values;
    for (int row = 0; row < n; ++row)
    {
        const double xi = x[row];
        matrix[0 * n + row] = 1.0;
        matrix[1 * n + row] = xi;
        matrix[2 * n + row] = xi * xi;
        for (int power = 3; power < n; ++power)
        {
            matrix[power * n + row] = std::pow(xi, power);
        }
        values[row] = y[row];
    }

    std::array<int, n> pivots;
    std::array<double, n> work;
    int order = n;
    int workSize = n;
    int info = 0;
    dgetrf_(&order, &order, matrix.data(), &order, pivots.data(), &info);
    if (info == 0)
    {
        dgetri_(&order, matrix.data(), &order, pivots.data(), work.data(), &workSize, &info);
    }
    if (info != 0)
    {
        throw CoefficentCalculationFailedException(y);
    }

    std::array<double, n> result {};
    cblas_dgemv(CblasColMajor, CblasNoTrans, n, n, 1.0, matrix.data(), n, values.data(), 1, 1.0,
        result.data(), 1);
    for (int i = 0; i < n; ++i)
    {
        coefficients[i] = static_cast<float>(result[i]);
    }
}

} // namespace CorrectionData::Calculations
