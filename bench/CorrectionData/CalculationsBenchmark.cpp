// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <array>
#include <cmath>

#include <benchmark/benchmark.h>

#include "CorrectionData/Calculations/Calculations.h"

namespace
{

using CorrectionData::Calculations::matrixSize;

const std::array<float, matrixSize> radii = { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };
const std::array<float, matrixSize> shading = { 100.0f, 98.2f, 93.5f, 85.1f, 78.4f, 69.9f };

// One fit per frame for shading, two for distortion.
void fitQuintic(benchmark::State& state)
{
    std::array<float, matrixSize> coefficients {};
    for (auto _ : state)
    {
        CorrectionData::Calculations::calculateCoefficients(
            radii.data(), shading.data(), coefficients.data());
        benchmark::DoNotOptimize(coefficients);
    }
    state.SetItemsProcessed(state.iterations());
}

// Baseline: only building the fit's matrix, the part of the work that is not LAPACK's.
void buildVandermondeMatrix(benchmark::State& state)
{
    std::array<double, matrixSize * matrixSize> matrix {};
    for (auto _ : state)
    {
        for (int row = 0; row < matrixSize; ++row)
        {
            const double x = radii[row];
            for (int power = 0; power < matrixSize; ++power)
            {
                matrix[power * matrixSize + row] = std::pow(x, power);
            }
        }
        benchmark::DoNotOptimize(matrix);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK(buildVandermondeMatrix);
BENCHMARK(fitQuintic);
