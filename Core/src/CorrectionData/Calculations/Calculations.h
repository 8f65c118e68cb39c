// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

namespace CorrectionData::Calculations
{

/// Number of points, of coefficients, and the order of the fitting matrix.
constexpr int matrixSize = 6;

/// The coefficients a0 ... a5 (lowest order first) of the quintic through the six points
/// (x[i], y[i]), computed in double precision. Throws CoefficentCalculationFailedException when
/// the points do not determine one quintic (two equal x values), leaving coefficients untouched.
/// Stateless, allocation-free, callable from any thread.
void calculateCoefficients(const float* x, const float* y, float* coefficients);

} // namespace CorrectionData::Calculations
