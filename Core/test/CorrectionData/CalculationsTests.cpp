// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "CorrectionData/Calculations/Calculations.h"
#include "CorrectionData/CorrectionDataExceptions.h"
#include "Support/ThrownDescription.h"

using CorrectionData::Calculations::calculateCoefficients;
using CorrectionData::Calculations::matrixSize;

namespace
{

using Six = std::array<float, matrixSize>;

const Six radii = { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };

double evaluate(const Six& coefficients, double x)
{
    double value = 0.0;
    for (int power = matrixSize - 1; power >= 0; --power)
    {
        value = value * x + coefficients[power];
    }
    return value;
}

Six fit(const Six& x, const Six& y)
{
    Six coefficients {};
    calculateCoefficients(x.data(), y.data(), coefficients.data());
    return coefficients;
}

} // namespace

TEST(Calculations, RecoversAKnownQuintic)
{
    // Dyadic coefficients at integer x: every sample is exact in single precision.
    const Six quintic = { 3.0f, -2.0f, 0.5f, 1.0f, -0.25f, 0.125f };
    const Six x = { 0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f };
    Six y;
    for (int i = 0; i < matrixSize; ++i)
    {
        y[i] = static_cast<float>(evaluate(quintic, x[i]));
    }
    const Six coefficients = fit(x, y);
    for (int i = 0; i < matrixSize; ++i)
    {
        EXPECT_NEAR(coefficients[i], quintic[i], 1e-5) << "a" << i;
    }
}

TEST(Calculations, PassesThroughTheSamplesAtTheInterpolationRadii)
{
    const Six shading = { 100.0f, 98.2f, 93.5f, 85.1f, 78.4f, 69.9f };
    const Six identity = fit(radii, radii);
    EXPECT_NEAR(identity[1], 1.0f, 1e-5);
    const Six flat = fit(radii, { 100, 100, 100, 100, 100, 100 });
    EXPECT_NEAR(flat[0], 100.0f, 1e-4);
    const Six coefficients = fit(radii, shading);
    for (int i = 0; i < matrixSize; ++i)
    {
        EXPECT_NEAR(evaluate(identity, radii[i]), radii[i], 1e-3);
        EXPECT_NEAR(evaluate(flat, radii[i]), 100.0, 1e-3);
        EXPECT_NEAR(evaluate(coefficients, radii[i]), shading[i], 1e-3) << radii[i];
    }
}

TEST(Calculations, EqualRadiiFailAndLeaveTheOutput)
{
    const Six x = { 0.0f, 5.0f, 5.0f, 15.0f, 18.0f, 21.4f };
    const Six y = { 1.0f, 2.5f, 3.0f, 4.0f, 5.0f, 6.0f };
    Six coefficients = { 7, 7, 7, 7, 7, 7 };
    EXPECT_EQ(TestSupport::thrownDescription<CorrectionData::CoefficentCalculationFailedException>(
                  [&] { calculateCoefficients(x.data(), y.data(), coefficients.data()); }),
        "Calculation of the polynomial coefficients did fail.\nInput Y: 1 2.5 3 4 5 6\n");
    EXPECT_EQ(coefficients, (Six { 7, 7, 7, 7, 7, 7 }));
}
