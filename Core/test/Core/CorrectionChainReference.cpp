// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionChainReference.h"

#include <cmath>
#include <utility>

namespace CoreTest
{

namespace
{

    using Values = std::array<double, 6>;

    const Values radii = { 0.0, 5.0, 10.0, 15.0, 18.0, 21.4 };

    /// Solves the Vandermonde system by Gaussian elimination with partial pivoting.
    Values fitQuintic(const Values& x, const Values& y)
    {
        double matrix[6][7];
        for (int row = 0; row < 6; ++row)
        {
            for (int column = 0; column < 6; ++column)
            {
                matrix[row][column] = std::pow(x[row], column);
            }
            matrix[row][6] = y[row];
        }
        for (int pivot = 0; pivot < 6; ++pivot)
        {
            int best = pivot;
            for (int row = pivot + 1; row < 6; ++row)
            {
                if (std::abs(matrix[row][pivot]) > std::abs(matrix[best][pivot]))
                {
                    best = row;
                }
            }
            std::swap(matrix[pivot], matrix[best]);
            for (int row = pivot + 1; row < 6; ++row)
            {
                const double factor = matrix[row][pivot] / matrix[pivot][pivot];
                for (int column = pivot; column < 7; ++column)
                {
                    matrix[row][column] -= factor * matrix[pivot][column];
                }
            }
        }
        Values coefficients {};
        for (int row = 5; row >= 0; --row)
        {
            double sum = matrix[row][6];
            for (int column = row + 1; column < 6; ++column)
            {
                sum -= matrix[row][column] * coefficients[column];
            }
            coefficients[row] = sum / matrix[row][row];
        }
        return coefficients;
    }

    double evaluate(const Values& a, double x)
    {
        double result = 0.0;
        for (int i = 5; i >= 0; --i)
        {
            result = result * x + a[i];
        }
        return result;
    }

    template <typename Parameter>
    void setGeometryAndCoefficients(
        Parameter& parameter, const FrameGeometry& geometry, double imageRadius, const Values& a)
    {
        parameter.currentWidth = geometry.width;
        parameter.currentHeight = geometry.height;
        parameter.originalWidth = geometry.originalWidth;
        parameter.originalHeight = geometry.originalHeight;
        parameter.renderMap = false;
        parameter.imageRadius = static_cast<float>(imageRadius);
        parameter.a0 = static_cast<float>(a[0]);
        parameter.a1 = static_cast<float>(a[1]);
        parameter.a2 = static_cast<float>(a[2]);
        parameter.a3 = static_cast<float>(a[3]);
        parameter.a4 = static_cast<float>(a[4]);
        parameter.a5 = static_cast<float>(a[5]);
    }

} // namespace

double imageRadiusForHeader(double sensorWidth, uint32_t clipWidth, uint32_t clipHeight)
{
    const double sensorHeight = sensorWidth * clipHeight / clipWidth;
    return std::hypot(sensorWidth / 2.0, sensorHeight / 2.0);
}

Renderer::ShadingParameter shadingParameter(
    const FrameGeometry& geometry, const std::array<float, 6>& shading, bool reverse)
{
    Values y;
    for (int i = 0; i < 6; ++i)
    {
        y[i] = shading[i];
    }
    Renderer::ShadingParameter parameter;
    setGeometryAndCoefficients(parameter, geometry, geometry.imageRadius, fitQuintic(radii, y));
    parameter.reverse = reverse ? 1 : 0;
    parameter.gamma = 1.0f;
    return parameter;
}

Renderer::DistortionParameter distortionParameter(
    const FrameGeometry& geometry, const std::array<float, 6>& radialDistortion, bool reverse)
{
    // Undistorted radius = recorded radius scaled by the distortion in thousandths.
    Values undistorted;
    for (int i = 0; i < 6; ++i)
    {
        undistorted[i] = radii[i] * (1.0 - radialDistortion[i] / 1000.0);
    }
    const Values toUndistorted = fitQuintic(radii, undistorted);
    const Values toDistorted = fitQuintic(undistorted, radii);
    const double distortedRadius = geometry.imageRadius;
    const double undistortedRadius = evaluate(toUndistorted, distortedRadius);

    // The kernel maps each output radius to the radius it reads in the input.
    Renderer::DistortionParameter parameter;
    const Values& kernelMap = reverse ? toUndistorted : toDistorted;
    const Values& inverseMap = reverse ? toDistorted : toUndistorted;
    setGeometryAndCoefficients(
        parameter, geometry, reverse ? distortedRadius : undistortedRadius, kernelMap);
    parameter.inverseImageRadius
        = static_cast<float>(reverse ? undistortedRadius : distortedRadius);
    for (int i = 0; i < 6; ++i)
    {
        parameter.inverseCoefficients[i] = static_cast<float>(inverseMap[i]);
    }
    return parameter;
}

} // namespace CoreTest
