// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/LensCorrection.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "Adobe/AEGP_SuiteHandler.h"
#include "AePlugin/AeFrame.h"
#include "Core/Core.h"
#include "Core/FrameArithmetic.h"
#include "Core/TextCopy.h"
#include "LensCorrection/LensCorrectionDetail.h"
#include "LensCorrection/LensCorrectionParameter.h"
#include "LensCorrection/LockedSequenceData.h"
#include "Platform/FileDialog.h"

namespace
{

using Parameter = LensCorrectionParameter;

constexpr unsigned majorVersion = 0;
constexpr unsigned minorVersion = 9;
constexpr unsigned fixVersion = 0;

const std::array<float, 4> errorColour { 1.0f, 0.0f, 0.0f, 1.0f };

struct FreeDeleter
{
    void operator()(float* buffer) const { std::free(buffer); }
};

/// Floats that arrive zeroed: large blocks come fresh from the system, so there is no write
/// pass over them.
std::unique_ptr<float[], FreeDeleter> zeroedFloats(size_t count)
{
    std::unique_ptr<float[], FreeDeleter> buffer(
        static_cast<float*>(std::calloc(count, sizeof(float))));
    if (!buffer)
    {
        throw PF_Err(PF_Err_OUT_OF_MEMORY);
    }
    return buffer;
}

PF_InData& inData(const AeInterface& ae)
{
    if (!ae.inData)
    {
        throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
    }
    return *ae.inData;
}

PF_OutData& outData(const AeInterface& ae)
{
    if (!ae.outData)
    {
        throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
    }
    return *ae.outData;
}

A_long clampedLong(int64_t value)
{
    return A_long(std::clamp<int64_t>(
        value, std::numeric_limits<A_long>::min(), std::numeric_limits<A_long>::max()));
}

} // namespace

LensCorrection::LensCorrection(std::unique_ptr<LensCorrectionDataSource> dataSource)
{
    dataSource->setAeInterface(ae);
    core = std::make_unique<Core::Core>(std::move(dataSource));
}

LensCorrection::~LensCorrection() = default;

void LensCorrection::globalSetup()
{
    outData(*ae).out_flags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER;
}

void LensCorrection::parameterSetup()
{
    const PF_Err error = Parameter(ae).setup(correctionModeString());
    if (error != PF_Err_NONE)
    {
        throw error;
    }
}

void LensCorrection::userChangedParameter()
{
    const auto* extra = static_cast<const PF_UserChangedParamExtra*>(ae->extra);
    if (!extra)
    {
        throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
    }
    const PF_ParamIndex changed = extra->param_index;
    // Every change ends in the recording format update, which needs the block: refuse early,
    // before any control is touched.
    LockedSequenceData(*ae).required();

    Parameter parameter(ae);
    switch (changed)
    {
    case Parameter::widthWithoutOverscanIndex:
    case Parameter::heightWithoutOverscanIndex:
        keepOverscanInProportion(changed);
        break;
    case Parameter::filePathIndex:
        browseForCorrectionFile();
        break;
    case Parameter::filePathStatusIndex:
        // Resetting the control (or the whole effect) clears the chosen file.
        if (float(parameter.filePathStatus()) == 0.0f)
        {
            parameter.setCorrectionFilePath(std::string());
        }
        break;
    case Parameter::manualSelectionIndex:
        if (parameter.manualRecordingFormatSelection())
        {
            parameter.enableControlsOfRecordingFormat();
        }
        else
        {
            parameter.disableControlsOfRecordingFormat();
        }
        break;
    case Parameter::imageAreaWidthIndex:
    case Parameter::imageAreaHeightIndex:
    case Parameter::clipResolutionWidthIndex:
    case Parameter::clipResolutionHeightIndex:
        updateImageDiameter();
        break;
    default:
        break;
    }
    updateRecordingFormatParemterIfNeeded(changed);
}

void LensCorrection::keepOverscanInProportion(PF_ParamIndex changed)
{
    const PF_InData& in = inData(*ae);
    const uint32_t layerWidth = LensCorrectionDetail::downsampledSize(in.width, in.downsample_x);
    const uint32_t layerHeight = LensCorrectionDetail::downsampledSize(in.height, in.downsample_y);
    if (layerWidth == 0 || layerHeight == 0)
    {
        return; // a layer without extent has no proportion to keep
    }
    Parameter parameter(ae);
    if (changed == Parameter::widthWithoutOverscanIndex)
    {
        const uint32_t width = std::min(parameter.resolutionWidthWithoutOverscan(), layerWidth);
        parameter.setResolutionWidthWithoutOverscan(width);
        parameter.setResolutionHeightWithoutOverscan(
            LensCorrectionDetail::proportionalSide(width, layerWidth, layerHeight));
    }
    else
    {
        const uint32_t height = std::min(parameter.resolutionHeightWithoutOverscan(), layerHeight);
        parameter.setResolutionHeightWithoutOverscan(height);
        parameter.setResolutionWidthWithoutOverscan(
            LensCorrectionDetail::proportionalSide(height, layerHeight, layerWidth));
    }
}

void LensCorrection::updateImageDiameter()
{
    Parameter parameter(ae);
    parameter.setImageDiameter(
        Core::imageDiameter(parameter.imageAreaSizeWidth(), parameter.imageAreaSizeHeight(),
            parameter.clipResolutionWidth(), parameter.clipResolutionHeight()));
}

void LensCorrection::browseForCorrectionFile()
{
    Parameter parameter(ae);
    std::string currentPath;
    parameter.correctionFilePath(currentPath);
    std::optional<std::string> chosen;
    try
    {
        chosen = Platform::makeFileDialog()->chooseFile(currentPath, "tlcf");
    }
    catch (const Platform::FileDialogUnavailable& error)
    {
        throw AeErrorPair(error.what(), std::string(error.what()) + "\n" + error.details());
    }
    if (chosen)
    {
        parameter.setCorrectionFilePath(*chosen);
    }
}

void LensCorrection::updateRecordingFormatParemterIfNeeded(PF_ParamIndex changed)
{
    Parameter parameter(ae);
    bool apply = false;
    switch (changed)
    {
    case Parameter::filePathIndex:
    case Parameter::filePathStatusIndex:
    case Parameter::manualSelectionIndex:
        apply = !parameter.manualRecordingFormatSelection();
        break;
    case Parameter::updateRecordingFormatIndex:
        apply = true; // the user asked for it, also in manual mode
        break;
    default:
    {
        LockedSequenceData sequenceData(*ae);
        SequenceData& block = sequenceData.required();
        const bool pending = block.recordingFormatUpdatePending();
        block.setRecordingFormatUpdatePending(false);
        if (!pending)
        {
            return;
        }
        apply = !parameter.manualRecordingFormatSelection();
        break;
    }
    }

    RecordingFormatDatabase::RecordingFormat format {};
    const bool found = core->recordingFormat(format);
    if (apply)
    {
        // Also after a failure: the controls then show the record's zeros.
        parameter.setImageAreaSizeWidth(format.imageAreaWidth);
        parameter.setImageAreaSizeHeight(format.imageAreaHeight);
        parameter.setClipResolutionWidth(format.clipResolutionWidth);
        parameter.setClipResolutionHeight(format.clipResolutionHeight);
        parameter.setImageDiameter(format.imageAreaRadius * 2.0f);
    }
    if (!found)
    {
        throwCoreError();
    }
}

void LensCorrection::sequenceSetup()
{
    PF_OutData& out = outData(*ae);
    AEGP_SuiteHandler suites(inData(*ae).pica_basicP);
    const PF_HandleSuite1* handleSuite = suites.HandleSuite1();
    const PF_Handle handle = handleSuite->host_new_handle(SequenceData::size);
    if (!handle)
    {
        throw PF_Err(PF_Err_OUT_OF_MEMORY);
    }
    void* bytes = handleSuite->host_lock_handle(handle);
    if (!bytes)
    {
        // Nobody would ever dispose of a block we did not hand over.
        handleSuite->host_dispose_handle(handle);
        throw PF_Err(PF_Err_OUT_OF_MEMORY);
    }
    SequenceData(static_cast<unsigned char*>(bytes)).initialise();
    out.sequence_data = handle;
    handleSuite->host_unlock_handle(handle);
}

void LensCorrection::sequenceResetup() { }

void LensCorrection::sequenceFlatten() { }

void LensCorrection::sequenceSetdown()
{
    PF_InData& in = inData(*ae);
    if (!in.sequence_data)
    {
        return;
    }
    AEGP_SuiteHandler suites(in.pica_basicP);
    suites.HandleSuite1()->host_dispose_handle(in.sequence_data);
    in.sequence_data = nullptr;
}

void LensCorrection::updateParameterUI()
{
    const Parameter parameter(ae);
    if (!parameter.manualRecordingFormatSelection())
    {
        parameter.disableControlsOfRecordingFormat();
    }
}

void LensCorrection::frameSetup()
{
    PF_OutData& out = outData(*ae);
    const PF_InData& in = inData(*ae);
    {
        LockedSequenceData sequenceData(*ae);
        // The output size is preset to the input size at the current resolution. Divided in
        // integers: in single precision a seventh of 1918 pixels (274) would come back as 1917.
        sequenceData.required().setFullResolution(
            LensCorrectionDetail::fullResolutionSize(out.width, in.downsample_x),
            LensCorrectionDetail::fullResolutionSize(out.height, in.downsample_y));
    }

    uint32_t width = 0;
    uint32_t height = 0;
    if (!core->frameSize(width, height))
    {
        throwCoreError();
    }
    // Enlarge, never shrink, and keep the input centred.
    const int64_t newWidth = std::max<int64_t>(width, out.width);
    const int64_t newHeight = std::max<int64_t>(height, out.height);
    out.origin.h = clampedLong(out.origin.h + (newWidth - out.width) / 2);
    out.origin.v = clampedLong(out.origin.v + (newHeight - out.height) / 2);
    out.width = clampedLong(newWidth);
    out.height = clampedLong(newHeight);
}

void LensCorrection::render(bool errorPending)
{
    const AeFrame frame(ae);
    if (errorPending)
    {
        frame.writeOutputData(errorColour);
        return;
    }
    if (!ae->output)
    {
        throw PF_Err(PF_Err_BAD_CALLBACK_PARAM);
    }
    if (!LockedSequenceData(*ae).get())
    {
        frame.writeOutputData(errorColour);
        LockedSequenceData(*ae).required();
    }

    const size_t width = size_t(std::max<A_long>(ae->output->width, 0));
    const size_t height = size_t(std::max<A_long>(ae->output->height, 0));
    if (width == 0 || height == 0)
    {
        return;
    }
    constexpr size_t floatsPerPixel = 4;
    if (width > std::numeric_limits<size_t>::max() / sizeof(float) / floatsPerPixel / height)
    {
        throw PF_Err(PF_Err_OUT_OF_MEMORY);
    }
    const size_t count = width * height * floatsPerPixel;
    const size_t size = count * sizeof(float);
    const auto input = zeroedFloats(count);
    const auto output = zeroedFloats(count);

    frame.readInputData(input.get(), size);
    if (!core->render(input.get(), output.get(), size))
    {
        frame.writeOutputData(errorColour);
        throwCoreError();
    }
    frame.writeOutputData(output.get(), size);
}

void LensCorrection::writeAboutText(const char* firstLineFormat) const
{
    PF_OutData& out = outData(*ae);
    const std::string format = std::string(firstLineFormat) + "\n%s";
    // Bounded by the message buffer; the host's own sprintf is not.
    std::snprintf(out.return_msg, sizeof out.return_msg, format.c_str(), majorVersion, minorVersion,
        fixVersion, "Copyright (c) 2026 The Lens Correction Authors");
}

void LensCorrection::setPluginVersion() const
{
    outData(*ae).my_version = PF_VERSION(majorVersion, minorVersion, fixVersion, 0, 0);
}

void LensCorrection::throwCoreError() const
{
    std::string brief;
    std::string detailed;
    retrieveCoreErrorDescription(*core, brief, detailed);
    throw AeErrorPair(brief, detailed);
}

void LensCorrection::retrieveCoreErrorDescription(
    const Core::Core& core, std::string& brief, std::string& detailed)
{
    Core::ErrorTexts texts = Core::errorTexts(core,
        "An issue did occur, but the issue description could not be retrieved. Please contact "
        "the developer.",
        "An issue did occur, but the detailed issue description could not be retrieved. Please "
        "contact the developer.");
    brief = std::move(texts.brief);
    detailed = std::move(texts.detailed);
}
