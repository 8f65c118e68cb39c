// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>

#include <gtest/gtest.h>

#include "Core/Core.h"
#include "Platform/FakeZenity.h"
#include "PluginTestSupport.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"

namespace
{

using PluginTest::hostWithEffect;
using PluginTest::shadingPlugin;

using PluginTest::Control;

std::string storedPath(const Host::SimulatedHost& host)
{
    const std::vector<unsigned char> bytes = host.sequenceDataBytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()) + 3);
}

TEST(LensCorrectionParameter, RegistersTheControlsUnderTheirIndices)
{
    // The numbers are the ones hosts store in projects: the host sees row n at index n, and the
    // effect's own name for it must stay that number.
    struct Row
    {
        PF_ParamIndex effectIndex;
        PF_ParamType kind;
        const char* name;
        float maximum;
        int precision;
        PF_ParamUIFlags uiFlags;
    };
    const Row rows[] = {
        { Control::correctionModeIndex, PF_Param_POPUP, "Correction Mode", 0, 0, 0 },
        { Control::overscanGroupIndex, PF_Param_GROUP_START, "Overscan", 0, 0, 0 },
        { Control::widthWithoutOverscanIndex, PF_Param_FLOAT_SLIDER, "Width w/o Overscan [px]",
            15360, 0, 0 },
        { Control::heightWithoutOverscanIndex, PF_Param_FLOAT_SLIDER, "Height w/o Overscan [px]",
            8640, 0, 0 },
        { Control::overscanGroupEndIndex, PF_Param_GROUP_END, "", 0, 0, 0 },
        { Control::correctionFileGroupIndex, PF_Param_GROUP_START, "Correction File", 0, 0, 0 },
        { Control::filePathIndex, PF_Param_BUTTON, "File Path", 0, 0, 0 },
        { Control::filePathStatusIndex, PF_Param_FLOAT_SLIDER, "File Path Status", 2, 0,
            PF_PUI_DISABLED | PF_PUI_INVISIBLE },
        { Control::correctionFileGroupEndIndex, PF_Param_GROUP_END, "", 0, 0, 0 },
        { Control::recordingFormatGroupIndex, PF_Param_GROUP_START, "Recording Format", 0, 0, 0 },
        { Control::updateRecordingFormatIndex, PF_Param_BUTTON, "Update Recording Format", 0, 0,
            0 },
        { Control::manualSelectionIndex, PF_Param_CHECKBOX, "Manual Selection", 0, 0, 0 },
        { Control::imageAreaSizeGroupIndex, PF_Param_GROUP_START, "Image Area Size", 0, 0, 0 },
        { Control::imageAreaWidthIndex, PF_Param_FLOAT_SLIDER, "Width [mm]", 36, 2, 0 },
        { Control::imageAreaHeightIndex, PF_Param_FLOAT_SLIDER, "Height [mm]", 24, 2, 0 },
        { Control::imageAreaSizeGroupEndIndex, PF_Param_GROUP_END, "", 0, 0, 0 },
        { Control::clipResolutionGroupIndex, PF_Param_GROUP_START, "Clip Resolution", 0, 0, 0 },
        { Control::clipResolutionWidthIndex, PF_Param_FLOAT_SLIDER, "Width [px]", 7680, 0, 0 },
        { Control::clipResolutionHeightIndex, PF_Param_FLOAT_SLIDER, "Height [px]", 4320, 0, 0 },
        { Control::clipResolutionGroupEndIndex, PF_Param_GROUP_END, "", 0, 0, 0 },
        { Control::imageDiameterIndex, PF_Param_FLOAT_SLIDER, "Image Diameter [mm]",
            std::sqrt(1872.0f), 2, 0 },
        { Control::recordingFormatGroupEndIndex, PF_Param_GROUP_END, "", 0, 0, 0 },
    };
    Host::SimulatedHost host;
    host.load(shadingPlugin);
    ASSERT_EQ(host.send(PF_Cmd_PARAMS_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.reportedParameterCount(), 23);
    EXPECT_EQ(Control::parameterCount, 23);
    ASSERT_EQ(host.parameters().count(), 23);
    for (PF_ParamIndex index = 1; index <= 22; ++index)
    {
        const Row& row = rows[index - 1];
        const PF_ParamDef& parameter = host.parameters().definition(index);
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.effectIndex, index);
        EXPECT_EQ(parameter.uu.id, index);
        EXPECT_EQ(parameter.param_type, row.kind);
        EXPECT_STREQ(parameter.name, row.name);
        EXPECT_EQ(parameter.ui_flags, row.uiFlags);
        const bool group = row.kind == PF_Param_GROUP_START || row.kind == PF_Param_GROUP_END;
        EXPECT_EQ(parameter.flags, group ? 0 : PF_ParamFlag_SUPERVISE);
        if (row.kind == PF_Param_FLOAT_SLIDER)
        {
            const PF_FloatSliderDef& slider = parameter.u.fs_d;
            EXPECT_EQ(slider.valid_min, 0.0f);
            EXPECT_EQ(slider.slider_max, row.maximum);
            EXPECT_EQ(slider.valid_max, row.maximum);
            EXPECT_EQ(slider.precision, row.precision);
            EXPECT_EQ(slider.curve_tolerance, 0.05f);
        }
    }
    EXPECT_EQ(host.parameters().text(7), "Browse");
    EXPECT_EQ(host.parameters().text(11), "Update");
    EXPECT_EQ(host.parameters().text(12), "");
    EXPECT_EQ(host.parameters().definition(1).u.pd.num_choices, 2);
    EXPECT_EQ(host.parameters().value(1), 1.0);
}

TEST(LensCorrectionParameter, FilePathStatusChangesWithEveryNewFile)
{
    auto host = hostWithEffect(shadingPlugin);
    const std::pair<const char*, double> steps[]
        = { { "/a.tlcf", 1 }, { "/a.tlcf", 1 }, { "/b.tlcf", 2 }, { "/a.tlcf", 1 } };
    for (const auto& [path, status] : steps)
    {
        PluginTest::chooseCorrectionFile(*host, path);
        EXPECT_EQ(storedPath(*host), path);
        EXPECT_EQ(host->parameters().value(Control::filePathStatusIndex), status) << path;
    }
    // Resetting the control clears the choice.
    host->editParameter(Control::filePathStatusIndex, 0);
    EXPECT_EQ(storedPath(*host), "");
    EXPECT_EQ(host->parameters().value(Control::filePathStatusIndex), 0);
}

TEST(LensCorrectionParameter, PathsOf4096BytesAndMoreAreRefused)
{
    auto host = hostWithEffect(shadingPlugin);
    const std::string fits = "/" + std::string(4089, 'p') + ".tlcf";
    ASSERT_EQ(fits.size(), 4095u);
    PluginTest::chooseCorrectionFile(*host, fits);
    EXPECT_EQ(storedPath(*host), fits);
    // The library found no such file; a render consumes that failure, so the next one shows.
    host->send(PF_Cmd_RENDER);

    EXPECT_EQ(PluginTest::chooseCorrectionFile(*host, fits + "x"), PF_Err_NONE);
    EXPECT_EQ(storedPath(*host), fits);
    EXPECT_TRUE(host->lastCommand().messageShown);
    EXPECT_EQ(host->lastCommand().returnMessage, "Selected correction file path is too long.");
}

TEST(LensCorrectionParameter, CancelledOrMissingDialogChangesNothing)
{
    auto host = hostWithEffect(shadingPlugin);
    PluginTest::chooseCorrectionFile(*host, "/a.tlcf");
    {
        TestSupport::FakeZenity cancel("exit 1");
        host->userChangedParameter(Control::filePathIndex);
    }
    EXPECT_EQ(storedPath(*host), "/a.tlcf");

    host->send(PF_Cmd_RENDER);
    TestSupport::TemporaryDirectory empty;
    TestSupport::PathOnly noZenity(empty.path());
    host->userChangedParameter(Control::filePathIndex);
    EXPECT_EQ(storedPath(*host), "/a.tlcf");
    EXPECT_EQ(host->lastCommand().returnMessage,
        "No file dialog is available to choose the correction file.");
}

TEST(LensCorrectionParameter, OverscanSizeKeepsTheLayerProportion)
{
    struct Case
    {
        PF_ParamIndex index;
        double value;
        double width;
        double height;
    };
    const Case cases[] = {
        { Control::widthWithoutOverscanIndex, 1800, 1800, 1013 }, // 1012.5 rounded away from zero
        { Control::widthWithoutOverscanIndex, 2500, 1920, 1080 },
        { Control::widthWithoutOverscanIndex, 1919.9, 1919, 1079 },
        { Control::heightWithoutOverscanIndex, 540, 960, 540 },
        { Control::heightWithoutOverscanIndex, -5, 0, 0 },
        { Control::heightWithoutOverscanIndex, NAN, 0, 0 },
    };
    auto host = hostWithEffect(shadingPlugin, PF_APPL_ID_AFTER_EFFECTS, false, 1920, 1080);
    for (const Case& c : cases)
    {
        host->editParameter(c.index, c.value);
        EXPECT_EQ(host->parameters().value(Control::widthWithoutOverscanIndex), c.width) << c.value;
        EXPECT_EQ(host->parameters().value(Control::heightWithoutOverscanIndex), c.height)
            << c.value;
    }
}

TEST(LensCorrectionParameter, OverscanRuleSurvivesOddDownsamplingAndEmptyLayers)
{
    struct Case
    {
        PF_RationalScale x;
        PF_RationalScale y;
        A_long layerWidth;
        double width;
        double height;
    };
    const Case cases[] = {
        { { 0, 1 }, { 1, 0 }, 1920, 1800, 1013 }, // zero factors count as full resolution
        { { 1, 1000 }, { 1, 1000 }, 1920, 1, 1 },
        { { 1, 1 }, { 1, 1 }, 0, 1800, 0 }, // nothing to keep in proportion: left alone
    };
    for (const Case& c : cases)
    {
        auto host
            = hostWithEffect(shadingPlugin, PF_APPL_ID_AFTER_EFFECTS, false, c.layerWidth, 1080);
        host->frames().setDownsampling(c.x, c.y);
        EXPECT_EQ(host->editParameter(Control::widthWithoutOverscanIndex, 1800), PF_Err_NONE);
        EXPECT_EQ(host->parameters().value(Control::widthWithoutOverscanIndex), c.width);
        EXPECT_EQ(host->parameters().value(Control::heightWithoutOverscanIndex), c.height);
    }
}

TEST(LensCorrectionParameter, ImageDiameterFollowsTheImageArea)
{
    struct Case
    {
        double width;
        double height;
        double pixelWidth;
        double pixelHeight;
        float diameter;
    };
    const Case cases[] = {
        { 36, 0, 4096, 2160, float(std::hypot(36.0, 18.984375)) }, // height from the aspect
        { 0, 0, 4096, 2160, 0.0f },
        { 0, 10, 1919.9, 1080, float(std::hypot(10.0f * (1919.0f / 1080.0f), 10.0)) },
        { 24, 13.5, 0, 0, float(std::hypot(24.0, 13.5)) },
    };
    for (const Case& c : cases)
    {
        auto host = hostWithEffect(shadingPlugin);
        host->editParameter(Control::manualSelectionIndex, 1);
        host->editParameter(Control::clipResolutionWidthIndex, c.pixelWidth);
        host->editParameter(Control::clipResolutionHeightIndex, c.pixelHeight);
        host->editParameter(Control::imageAreaWidthIndex, c.width);
        host->editParameter(Control::imageAreaHeightIndex, c.height);
        EXPECT_FLOAT_EQ(float(host->parameters().value(Control::imageDiameterIndex)), c.diameter)
            << c.width;
    }
}

TEST(LensCorrectionParameter, ManualSelectionEnablesAllButTheDiameter)
{
    auto host = hostWithEffect(shadingPlugin);
    const auto disabled = [&](PF_ParamIndex index)
    { return (host->parameters().definition(index).ui_flags & PF_PUI_DISABLED) != 0; };
    const PF_ParamIndex typed[] = { Control::imageAreaSizeGroupIndex, Control::imageAreaWidthIndex,
        Control::imageAreaHeightIndex, Control::clipResolutionGroupIndex,
        Control::clipResolutionWidthIndex, Control::clipResolutionHeightIndex };
    for (PF_ParamIndex index : typed)
    {
        EXPECT_TRUE(disabled(index)) << index;
    }
    EXPECT_TRUE(disabled(Control::imageDiameterIndex));

    host->editParameter(Control::manualSelectionIndex, 1);
    for (PF_ParamIndex index : typed)
    {
        EXPECT_FALSE(disabled(index)) << index;
    }
    EXPECT_TRUE(disabled(Control::imageDiameterIndex));

    host->editParameter(Control::manualSelectionIndex, 0);
    for (PF_ParamIndex index : typed)
    {
        EXPECT_TRUE(disabled(index)) << index;
    }
}

class RecordingFormatUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        clip = directory.writeFile("A001C003.mov", "");
        directory.writeFile("A001C003.tlcf", PluginTest::correctionFile().text());
        host = hostWithEffect(shadingPlugin);
        host->clip().setFootagePath(std::u16string(clip.begin(), clip.end()));

        auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
        dataSource->answers.clipFilePath = clip;
        dataSource->answers.clipFileName = PluginTest::clipFileName;
        ASSERT_TRUE(Core::Core(std::move(dataSource)).recordingFormat(expected));
    }

    void expectLibraryFormat() const
    {
        EXPECT_FLOAT_EQ(
            float(host->parameters().value(Control::imageAreaWidthIndex)), expected.imageAreaWidth);
        EXPECT_FLOAT_EQ(float(host->parameters().value(Control::imageAreaHeightIndex)),
            expected.imageAreaHeight);
        EXPECT_EQ(host->parameters().value(Control::clipResolutionWidthIndex),
            expected.clipResolutionWidth);
        EXPECT_EQ(host->parameters().value(Control::clipResolutionHeightIndex),
            expected.clipResolutionHeight);
        EXPECT_FLOAT_EQ(float(host->parameters().value(Control::imageDiameterIndex)),
            2 * expected.imageAreaRadius);
    }

    TestSupport::TemporaryDirectory directory;
    std::string clip;
    std::unique_ptr<Host::SimulatedHost> host;
    RecordingFormatDatabase::RecordingFormat expected;
};

TEST_F(RecordingFormatUpdate, FirstChangeFillsTheControlsOnce)
{
    EXPECT_EQ(host->parameters().value(Control::clipResolutionWidthIndex), 0);
    host->editParameter(Control::correctionModeIndex, 2);
    expectLibraryFormat();
    EXPECT_FALSE(host->lastCommand().messageShown) << host->lastCommand().returnMessage;

    host->parameters().setValue(Control::imageAreaWidthIndex, 5);
    host->editParameter(Control::correctionModeIndex, 1);
    EXPECT_EQ(host->parameters().value(Control::imageAreaWidthIndex), 5);
}

TEST_F(RecordingFormatUpdate, UpdateOverwritesTypedValuesAlsoInManualMode)
{
    host->editParameter(Control::manualSelectionIndex, 1);
    host->editParameter(Control::imageAreaWidthIndex, 5);
    host->editParameter(Control::clipResolutionWidthIndex, 640);
    host->userChangedParameter(Control::updateRecordingFormatIndex);
    expectLibraryFormat();
}

} // namespace
