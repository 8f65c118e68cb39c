// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// The rules that the tool and the effect share (overscan, manual recording format), through both
// of them: the tool's settings and corrector as its run uses them, and the real shading plug-in
// in the simulated host, with the same entries, the same correction file and the same frame.
#include <cmath>
#include <optional>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Correction/CorrectorSettings.h"
#include "Correction/FrameCorrector.h"
#include "PluginTestSupport.h"
#include "Settings/RunSettings.h"
#include "Support/TemporaryDirectory.h"

namespace
{

using LensCorrect::Size;
using PluginTest::Control;

/// What the user entered: the tool's options, the effect's controls.
struct Entries
{
    Size withoutOverscan; ///< 0 x 0: not entered
    std::optional<std::pair<float, float>> sensor; ///< with `resolution`: a manual format
    Size resolution;
};

/// The tool's result for the layer, in the layer's depth; throws Failure when it refuses.
PluginTest::Pixels toolResult(
    const Entries& entries, const Host::PixelWorld& layer, const std::string& correctionFile)
{
    LensCorrect::RunSettings options;
    options.input = "/Volumes/Media/A001C003.mov";
    options.correctionFile = correctionFile;
    options.shading = LensCorrect::ShadingMode::remove;
    options.framesPerSecond = 24.0f; // the host's default time
    if (entries.withoutOverscan.width || entries.withoutOverscan.height)
    {
        options.sizeWithoutOverscan = entries.withoutOverscan;
    }
    if (entries.sensor)
    {
        options.sensorSize = entries.sensor;
        options.resolution = entries.resolution;
    }
    const Size picture { uint32_t(layer.width()), uint32_t(layer.height()) };
    LensCorrect::FrameCorrector corrector(LensCorrect::lensSettings(options), picture);
    const std::vector<float> pixels = PluginTest::floatPixels(layer, picture.width, picture.height);
    LensCorrect::RgbaImage input(picture);
    input.pixels.assign(pixels.begin(), pixels.end());
    const LensCorrect::RgbaImage output = corrector.correct(0, picture, input);
    return PluginTest::hostPixels(
        output.pixels.data(), output.pixels.size() / 4, layer.channelMaximum());
}

/// The diameter the tool derives for a manual format.
float toolDiameter(const Entries& entries)
{
    LensCorrect::RunSettings options;
    options.sensorSize = entries.sensor;
    options.resolution = entries.resolution;
    return LensCorrect::manualRecordingFormat(options)->imageAreaRadius * 2.0f;
}

TEST(SharedRules, ToolAndEffectTakeTheSameEntriesAlike)
{
    struct Row
    {
        const char* name;
        Entries entries;
        /// The brief text with which both refuse the frame; none: both correct it.
        const char* refusal;
        /// The tool refuses its option (naming it); the effect takes the entry as not made.
        bool toolRefusesTheOption;
    };
    const char* const noFormat = "There is no valid data available for the recording format.";
    const Row rows[] = {
        { "no entries", {}, nullptr, false },
        { "overscan", { { 180, 101 }, {}, {} }, nullptr, false },
        { "overscan without a height is none", { { 180, 0 }, {}, {} }, nullptr, false },
        { "overscan of one pixel in the other direction", { { 1, 2 }, {}, {} }, nullptr, false },
        { "overscan of a single pixel", { { 1, 1 }, {}, {} }, nullptr, true },
        { "manual format", { {}, std::pair(23.76f, 13.365f), { 1920, 1080 } }, nullptr, false },
        { "manual height from the aspect", { {}, std::pair(23.76f, 0.0f), { 1920, 1080 } }, nullptr,
            false },
        { "manual width from the aspect", { {}, std::pair(0.0f, 13.365f), { 3840, 2160 } }, nullptr,
            false },
        { "manual format and overscan", { { 160, 90 }, std::pair(20.5f, 0.0f), { 3840, 2160 } },
            nullptr, false },
        { "manual format without an area", { {}, std::pair(0.0f, 0.0f), { 1920, 1080 } }, noFormat,
            false },
        { "manual format without a resolution", { {}, std::pair(23.76f, 13.365f), { 0, 0 } },
            noFormat, false },
        { "manual format of another aspect", { {}, std::pair(36.0f, 0.0f), { 4096, 2160 } },
            "Aspect ratio of the current frame is not as expected. Recommended resolution is "
            "192x101 px.",
            false },
    };

    TestSupport::TemporaryDirectory directory;
    const std::string correctionFile
        = directory.writeFile("A001C003.tlcf", PluginTest::correctionFile().text());
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const Entries& entries = row.entries;
        auto host = PluginTest::hostWithEffect(PluginTest::shadingPlugin);
        ASSERT_EQ(PluginTest::chooseCorrectionFile(*host, correctionFile), PF_Err_NONE);
        if (entries.sensor)
        {
            host->editParameter(Control::manualSelectionIndex, 1);
            host->editParameter(Control::imageAreaWidthIndex, entries.sensor->first);
            host->editParameter(Control::imageAreaHeightIndex, entries.sensor->second);
            host->editParameter(Control::clipResolutionWidthIndex, entries.resolution.width);
            host->editParameter(Control::clipResolutionHeightIndex, entries.resolution.height);
            EXPECT_EQ(float(host->parameters().value(Control::imageDiameterIndex)),
                toolDiameter(entries));
        }
        // As a project holds them: editing one side would set the other in proportion.
        host->parameters().setValue(
            Control::widthWithoutOverscanIndex, entries.withoutOverscan.width);
        host->parameters().setValue(
            Control::heightWithoutOverscanIndex, entries.withoutOverscan.height);
        const size_t shownBefore = host->shownMessages().size();
        ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
        std::vector<std::string> shown = host->shownMessages();
        shown.erase(shown.begin(), shown.begin() + std::ptrdiff_t(shownBefore));

        std::optional<PluginTest::Pixels> tool;
        std::string toolRefusal;
        try
        {
            tool = toolResult(entries, host->frames().inputLayer(), correctionFile);
        }
        catch (const LensCorrect::Failure& failure)
        {
            toolRefusal = failure.what();
        }

        if (row.refusal)
        {
            EXPECT_EQ(toolRefusal, row.refusal);
            ASSERT_FALSE(shown.empty());
            EXPECT_EQ(shown.front(), row.refusal);
            EXPECT_TRUE(PluginTest::isRed(host->frames().outputWorld()));
            continue;
        }
        EXPECT_TRUE(shown.empty()) << shown.front();
        if (row.toolRefusesTheOption)
        {
            EXPECT_NE(toolRefusal.find("--size-without-overscan"), std::string::npos)
                << toolRefusal;
            tool = toolResult(Entries { {}, entries.sensor, entries.resolution },
                host->frames().inputLayer(), correctionFile);
        }
        ASSERT_TRUE(tool) << toolRefusal;
        PluginTest::expectPixelsMatch(host->frames().outputWorld(),
            { uint32_t(host->frames().inputLayer().width()),
                uint32_t(host->frames().inputLayer().height()), *tool });
    }
}

TEST(SharedRules, OverscanIsTheGrowthOfTheHalfDiagonalBetweenPixelCentres)
{
    // The reference in double precision; the rule works in single.
    const auto halfDiagonal
        = [](double w, double h) { return std::hypot(w / 2 - 0.5, h / 2 - 0.5); };
    const Size plate { 1920, 1080 };
    for (const Size picture : { Size { 1800, 1012 }, Size { 1920, 1080 }, Size { 2, 1 } })
    {
        const double expected
            = (halfDiagonal(plate.width, plate.height) / halfDiagonal(picture.width, picture.height)
                  - 1)
            * 100;
        EXPECT_NEAR(LensCorrect::overscanPercent(plate, picture), expected, expected * 1e-5 + 1e-4)
            << picture.width << "x" << picture.height;
    }
}

} // namespace
