// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/LensCorrectionParameter.h"

#include <cstring>
#include <iterator>

#include "Adobe/AEGP_SuiteHandler.h"
#include "AePlugin/AePlugin.h"
#include "LensCorrection/LensCorrectionDetail.h"
#include "LensCorrection/LockedSequenceData.h"

namespace
{

struct Control
{
    PF_ParamType kind;
    const char* name;
    PF_FpShort maximum = 0.0f; ///< sliders; the minimum is 0
    A_short precision = 0;
    const char* text = nullptr; ///< the button's label, the checkbox's text
    PF_ParamUIFlags uiFlags = PF_PUI_NONE;
};

// In index order, from 1; index 0 is the host's input layer.
const Control controls[] = {
    { PF_Param_POPUP, "Correction Mode" },
    { PF_Param_GROUP_START, "Overscan" },
    { PF_Param_FLOAT_SLIDER, "Width w/o Overscan [px]", 15360.0f, 0 },
    { PF_Param_FLOAT_SLIDER, "Height w/o Overscan [px]", 8640.0f, 0 },
    { PF_Param_GROUP_END, "" },
    { PF_Param_GROUP_START, "Correction File" },
    { PF_Param_BUTTON, "File Path", 0.0f, 0, "Browse" },
    // Changes with every newly chosen file, so that the host sees the choice as an edit.
    { PF_Param_FLOAT_SLIDER, "File Path Status", 2.0f, 0, nullptr,
        PF_PUI_DISABLED | PF_PUI_INVISIBLE },
    { PF_Param_GROUP_END, "" },
    { PF_Param_GROUP_START, "Recording Format" },
    { PF_Param_BUTTON, "Update Recording Format", 0.0f, 0, "Update" },
    { PF_Param_CHECKBOX, "Manual Selection", 0.0f, 0, "" },
    { PF_Param_GROUP_START, "Image Area Size" },
    { PF_Param_FLOAT_SLIDER, "Width [mm]", 36.0f, 2 },
    { PF_Param_FLOAT_SLIDER, "Height [mm]", 24.0f, 2 },
    { PF_Param_GROUP_END, "" },
    { PF_Param_GROUP_START, "Clip Resolution" },
    { PF_Param_FLOAT_SLIDER, "Width [px]", 7680.0f, 0 },
    { PF_Param_FLOAT_SLIDER, "Height [px]", 4320.0f, 0 },
    { PF_Param_GROUP_END, "" },
    // The float nearest to the diagonal of 36 by 24 mm, the square root of 1872.
    { PF_Param_FLOAT_SLIDER, "Image Diameter [mm]", 43.266617f, 2 },
    { PF_Param_GROUP_END, "" },
};
static_assert(
    std::size(controls) + 1 == LensCorrectionParameter::parameterCount, "one control per index");

void describe(PF_ParamDef& definition, const Control& control, const char* choices)
{
    switch (control.kind)
    {
    case PF_Param_POPUP:
        definition.u.pd.num_choices = 2;
        definition.u.pd.dephault = 1;
        definition.u.pd.value = 1;
        definition.u.pd.u.namesptr = choices;
        break;
    case PF_Param_FLOAT_SLIDER:
        definition.u.fs_d.valid_min = definition.u.fs_d.slider_min = 0.0f;
        definition.u.fs_d.valid_max = definition.u.fs_d.slider_max = control.maximum;
        definition.u.fs_d.value = 0.0;
        definition.u.fs_d.dephault = 0.0f;
        definition.u.fs_d.precision = control.precision;
        definition.u.fs_d.display_flags = PF_ValueDisplayFlag_NONE;
        definition.u.fs_d.curve_tolerance = 0.05f;
        definition.u.fs_d.phase = 0.0;
        break;
    case PF_Param_CHECKBOX:
        definition.u.bd.value = 0;
        definition.u.bd.dephault = 0;
        definition.u.bd.u.nameptr = control.text;
        break;
    case PF_Param_BUTTON:
        definition.u.button_d.u.namesptr = control.text;
        break;
    default:
        break;
    }
    const bool group = control.kind == PF_Param_GROUP_START || control.kind == PF_Param_GROUP_END;
    definition.flags = group ? PF_ParamFlag_NONE : PF_ParamFlag_SUPERVISE;
    definition.ui_flags = control.uiFlags;
}

void copyName(const PF_InData& inData, char (&destination)[PF_MAX_EFFECT_PARAM_NAME_LEN + 1],
    const char* name)
{
    static_assert(sizeof("Update Recording Format") <= PF_MAX_EFFECT_PARAM_NAME_LEN + 1);
    if (inData.utils && inData.utils->ansi.strcpy)
    {
        inData.utils->ansi.strcpy(destination, name);
    }
    else
    {
        std::strncpy(destination, name, PF_MAX_EFFECT_PARAM_NAME_LEN);
    }
}

const PF_ParamIndex recordingFormatControls[] = { LensCorrectionParameter::imageAreaSizeGroupIndex,
    LensCorrectionParameter::imageAreaWidthIndex, LensCorrectionParameter::imageAreaHeightIndex,
    LensCorrectionParameter::clipResolutionGroupIndex,
    LensCorrectionParameter::clipResolutionWidthIndex,
    LensCorrectionParameter::clipResolutionHeightIndex,
    LensCorrectionParameter::imageDiameterIndex };

} // namespace

LensCorrectionParameter::LensCorrectionParameter(std::shared_ptr<AeInterface> ae)
    : ae(std::move(ae))
{
}

PF_Err LensCorrectionParameter::setup(const char* correctionModeChoices)
{
    if (!ae->inData || !ae->inData->inter.add_param)
    {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    for (size_t i = 0; i < std::size(controls); ++i)
    {
        PF_ParamDef definition;
        std::memset(&definition, 0, sizeof definition);
        definition.param_type = controls[i].kind;
        copyName(*ae->inData, definition.name, controls[i].name);
        definition.uu.id = A_long(i + 1);
        describe(definition, controls[i], correctionModeChoices);
        const PF_Err error = ae->inData->inter.add_param(
            ae->inData->effect_ref, PF_ParamIndex_APPEND, &definition);
        if (error != PF_Err_NONE)
        {
            return error;
        }
    }
    if (ae->outData)
    {
        ae->outData->num_params = parameterCount;
    }
    return PF_Err_NONE;
}

PF_ParamDef& LensCorrectionParameter::parameter(PF_ParamIndex index) const
{
    // A host that sends a command before parameter setup has no controls to hand us.
    if (!ae->params || !ae->params[index])
    {
        throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
    }
    return *ae->params[index];
}

double LensCorrectionParameter::value(PF_ParamIndex index) const
{
    return parameter(index).u.fs_d.value;
}

void LensCorrectionParameter::setValue(PF_ParamIndex index, double value)
{
    PF_ParamDef& definition = parameter(index);
    definition.u.fs_d.value = value;
    definition.uu.change_flags = PF_ChangeFlag_CHANGED_VALUE;
}

int LensCorrectionParameter::correctionMode() const
{
    return static_cast<int>(int64_t(parameter(correctionModeIndex).u.pd.value) - 1);
}

uint32_t LensCorrectionParameter::resolutionWidthWithoutOverscan() const
{
    return LensCorrectionDetail::truncatedUnsigned(value(widthWithoutOverscanIndex));
}

uint32_t LensCorrectionParameter::resolutionHeightWithoutOverscan() const
{
    return LensCorrectionDetail::truncatedUnsigned(value(heightWithoutOverscanIndex));
}

void LensCorrectionParameter::setResolutionWidthWithoutOverscan(uint32_t width)
{
    setValue(widthWithoutOverscanIndex, width);
}

void LensCorrectionParameter::setResolutionHeightWithoutOverscan(uint32_t height)
{
    setValue(heightWithoutOverscanIndex, height);
}

float LensCorrectionParameter::imageAreaSizeWidth() const
{
    return float(value(imageAreaWidthIndex));
}

float LensCorrectionParameter::imageAreaSizeHeight() const
{
    return float(value(imageAreaHeightIndex));
}

void LensCorrectionParameter::setImageAreaSizeWidth(float width)
{
    setValue(imageAreaWidthIndex, width);
}

void LensCorrectionParameter::setImageAreaSizeHeight(float height)
{
    setValue(imageAreaHeightIndex, height);
}

uint32_t LensCorrectionParameter::clipResolutionWidth() const
{
    return LensCorrectionDetail::truncatedUnsigned(value(clipResolutionWidthIndex));
}

uint32_t LensCorrectionParameter::clipResolutionHeight() const
{
    return LensCorrectionDetail::truncatedUnsigned(value(clipResolutionHeightIndex));
}

void LensCorrectionParameter::setClipResolutionWidth(uint32_t width)
{
    setValue(clipResolutionWidthIndex, width);
}

void LensCorrectionParameter::setClipResolutionHeight(uint32_t height)
{
    setValue(clipResolutionHeightIndex, height);
}

float LensCorrectionParameter::imageDiameter() const { return float(value(imageDiameterIndex)); }

void LensCorrectionParameter::setImageDiameter(float diameter)
{
    setValue(imageDiameterIndex, diameter);
}

bool LensCorrectionParameter::manualRecordingFormatSelection() const
{
    return parameter(manualSelectionIndex).u.bd.value != 0;
}

double LensCorrectionParameter::filePathStatus() const { return value(filePathStatusIndex); }

void LensCorrectionParameter::enableControlsOfRecordingFormat() const
{
    // Without the last one: the diameter is computed, never typed.
    setControlsDisabled(false, recordingFormatControls, std::size(recordingFormatControls) - 1);
}

void LensCorrectionParameter::disableControlsOfRecordingFormat() const
{
    setControlsDisabled(true, recordingFormatControls, std::size(recordingFormatControls));
}

void LensCorrectionParameter::setControlsDisabled(
    bool disabled, const PF_ParamIndex* indices, size_t count) const
{
    for (size_t i = 0; i < count; ++i)
    {
        PF_ParamDef& definition = parameter(indices[i]);
        if (disabled)
        {
            definition.ui_flags |= PF_PUI_DISABLED;
        }
        else
        {
            definition.ui_flags &= ~PF_PUI_DISABLED;
        }
        AEGP_SuiteHandler suites(ae->inData ? ae->inData->pica_basicP : nullptr);
        const PF_ParamUtilsSuite3* paramUtils = suites.ParamUtilsSuite3();
        if (paramUtils->PF_UpdateParamUI)
        {
            paramUtils->PF_UpdateParamUI(ae->inData->effect_ref, indices[i], &definition);
        }
    }
}

bool LensCorrectionParameter::correctionFilePath(std::string& path) const
{
    LockedSequenceData sequenceData(*ae);
    const std::string stored = sequenceData.required().correctionFilePath();
    if (stored.empty())
    {
        return false;
    }
    path = stored;
    return true;
}

void LensCorrectionParameter::setCorrectionFilePath(const std::string& path)
{
    LockedSequenceData sequenceData(*ae);
    SequenceData& block = sequenceData.required();
    if (path == block.correctionFilePath())
    {
        return;
    }
    if (path.size() >= SequenceData::correctionFilePathCapacity)
    {
        throw AeErrorPair(
            "Selected correction file path is too long.", "Selected Correction File Path: " + path);
    }
    block.setCorrectionFilePath(path);
    if (path.empty())
    {
        setValue(filePathStatusIndex, 0.0);
        return;
    }
    const A_long status = LensCorrectionDetail::truncatedLong(filePathStatus());
    setValue(filePathStatusIndex, status % 2 != 0 ? 2.0 : 1.0);
}
