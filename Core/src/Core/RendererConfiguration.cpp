// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/RendererConfiguration.h"

#include <algorithm>
#include <iterator>

#include "CorrectionData/Calculations/Calculations.h"
#include "Renderer/RendererDetail.h"

namespace Core
{

namespace
{

    using RecordingFormatDatabase::RecordingFormat;
    using Coefficients = float[CorrectionData::Calculations::matrixSize];

    /// Radii in mm from the centre of the sensor image area at which a correction frame gives its
    /// six shading and six radial distortion values.
    const float radiiOfDistortedImage[CorrectionData::Calculations::matrixSize]
        = { 0.0f, 5.0f, 10.0f, 15.0f, 18.0f, 21.4f };

    float quintic(const Coefficients& a, float x)
    {
        const float x2 = x * x;
        const float x3 = x2 * x;
        const float x4 = x3 * x;
        const float x5 = x4 * x;
        return a[0] + a[1] * x + a[2] * x2 + a[3] * x3 + a[4] * x4 + a[5] * x5;
    }

    template <typename Parameter>
    void setFrameGeometry(
        Parameter& parameter, const FrameData& frameData, const RecordingFormat& format)
    {
        parameter.currentWidth = frameData.width;
        parameter.currentHeight = frameData.height;
        parameter.originalWidth = format.clipResolutionWidth;
        parameter.originalHeight = format.clipResolutionHeight;
    }

} // namespace

float frameImageRadius(const FrameData& frameData, const RecordingFormat& format)
{
    return (frameData.overscan / 100.0f + 1.0f) * format.imageAreaRadius;
}

void configureShading(Renderer::ShadingParameter& parameter,
    const ShadingCorrectionParameter& correction, const FrameData& frameData,
    const RecordingFormat& format, const CorrectionData::Frame& frame)
{
    setFrameGeometry(parameter, frameData, format);
    parameter.renderMap = correction.renderMap;
    parameter.imageRadius = frameImageRadius(frameData, format);
    Coefficients a;
    CorrectionData::Calculations::calculateCoefficients(
        radiiOfDistortedImage, frame.shading.data(), a);
    Renderer::RendererDetail::setCoefficients(parameter, a);
    parameter.reverse = correction.reverse;
    parameter.gamma = 1.0f;
}

void configureDistortion(Renderer::DistortionParameter& parameter,
    const DistortionCorrectionParameter& correction, const FrameData& frameData,
    const RecordingFormat& format, const CorrectionData::Frame& frame)
{
    setFrameGeometry(parameter, frameData, format);
    parameter.renderMap = correction.renderMap;

    // Distortion values are thousandths of the radius; positive values pull the undistorted
    // radius inwards.
    float radiiOfUndistortedImage[CorrectionData::Calculations::matrixSize];
    for (int i = 0; i < CorrectionData::Calculations::matrixSize; ++i)
    {
        radiiOfUndistortedImage[i]
            = (frame.radialDistortion[i] / -1000.0f + 1.0f) * radiiOfDistortedImage[i];
    }
    Coefficients distortedToUndistorted;
    Coefficients undistortedToDistorted;
    CorrectionData::Calculations::calculateCoefficients(
        radiiOfDistortedImage, radiiOfUndistortedImage, distortedToUndistorted);
    CorrectionData::Calculations::calculateCoefficients(
        radiiOfUndistortedImage, radiiOfDistortedImage, undistortedToDistorted);

    const float distortedRadius = frameImageRadius(frameData, format);
    const float undistortedRadius = quintic(distortedToUndistorted, distortedRadius);
    // The kernel maps output radii to input radii: undistorting reads the recorded (distorted)
    // frame, distorting reads an undistorted one.
    const bool removeDistortion = !correction.reverse;
    const Coefficients& kernelMap
        = removeDistortion ? undistortedToDistorted : distortedToUndistorted;
    const Coefficients& inverseMap
        = removeDistortion ? distortedToUndistorted : undistortedToDistorted;
    parameter.imageRadius = removeDistortion ? undistortedRadius : distortedRadius;
    parameter.inverseImageRadius = removeDistortion ? distortedRadius : undistortedRadius;
    Renderer::RendererDetail::setCoefficients(parameter, kernelMap);
    std::copy(
        std::begin(inverseMap), std::end(inverseMap), std::begin(parameter.inverseCoefficients));
}

} // namespace Core
