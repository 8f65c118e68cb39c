// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/SimulatedHost.h"

#include <cmath>
#include <cstring>

#include "host/HostCallbacks.h"

namespace Host
{

namespace
{

    /// Makes `host` the one the suites serve on this thread for the length of a command.
    class CurrentHost
    {
    public:
        explicit CurrentHost(SimulatedHost* host)
            : previous(HostCallbacks::current())
        {
            HostCallbacks::setCurrent(host);
        }
        ~CurrentHost() { HostCallbacks::setCurrent(previous); }
        CurrentHost(const CurrentHost&) = delete;
        CurrentHost& operator=(const CurrentHost&) = delete;

    private:
        SimulatedHost* previous;
    };

    /// Points a stored or copied record's text fields at the host's copy.
    void pointAtText(PF_ParamDef& def, const std::string& text)
    {
        switch (def.param_type)
        {
        case PF_Param_POPUP:
            def.u.pd.u.namesptr = text.c_str();
            break;
        case PF_Param_CHECKBOX:
            def.u.bd.u.nameptr = text.c_str();
            break;
        case PF_Param_BUTTON:
            def.u.button_d.u.namesptr = text.c_str();
            break;
        default:
            break;
        }
    }

} // namespace

bool CommandRecord::suitesBalanced() const
{
    for (const auto& entry : suites)
    {
        if (entry.second.acquired != entry.second.released)
        {
            return false;
        }
    }
    return true;
}

SimulatedHost::SimulatedHost(A_long applicationId)
    : applId(applicationId)
    , input(64, 32, false)
    , footagePath(u"/Volumes/Media/A001C003.mov")
    , clipFileName("A001C003.mov")
{
    resetInstance();
}

SimulatedHost::~SimulatedHost()
{
    // The plug-in goes before the blocks it might still refer to.
    module.reset();
}

void SimulatedHost::load(const std::string& path)
{
    module.reset();
    module = std::make_unique<PluginModule>(path);
    resetInstance();
}

void SimulatedHost::unload() { module.reset(); }

bool SimulatedHost::loaded() const { return module != nullptr; }

void SimulatedHost::resetInstance()
{
    clearSequenceData();
    parameters.clear();
    Parameter layer;
    layer.def.param_type = PF_Param_LAYER;
    parameters.push_back(std::move(layer));
    uiUpdates.clear();
    frameSizeRequested = false;
}

// ---- Commands ---------------------------------------------------------------------------------

PF_Err SimulatedHost::send(PF_Cmd command, void* extra)
{
    if (!module)
    {
        throw HostError("SimulatedHost: no plug-in loaded");
    }
    const CurrentHost current(this);
    commands.push_back(CommandRecord {});
    CommandRecord& record = commands.back();
    record.command = command;
    runningCommand = &record;

    PF_InData inData {};
    inData.inter = HostCallbacks::interactCallbacks;
    inData.utils = utilityCallbacksRemoved ? nullptr : &HostCallbacks::utilityCallbacks;
    inData.effect_ref = HostCallbacks::effectReference(this);
    inData.appl_id = applId;
    inData.current_time = currentTime;
    inData.time_step = timeStep;
    inData.time_scale = timeScale;
    inData.width = input.width();
    inData.height = input.height();
    inData.downsample_x = downsampleX;
    inData.downsample_y = downsampleY;
    inData.sequence_data = sequenceData;
    inData.pica_basicP
        = basicSuiteRemoved ? nullptr : const_cast<SPBasicSuite*>(&HostCallbacks::basicSuite);

    // A fresh heap block per command: an overrun of return_msg is caught by AddressSanitizer.
    auto outData = std::make_unique<PF_OutData>();
    std::memset(outData.get(), 0, sizeof(PF_OutData));
    if (command == PF_Cmd_FRAME_SETUP)
    {
        outData->width = input.width();
        outData->height = input.height();
    }

    std::vector<PF_ParamDef> copies = parameterCopies();
    std::vector<PF_ParamDef*> pointers;
    for (PF_ParamDef& copy : copies)
    {
        pointers.push_back(&copy);
    }

    if (command == PF_Cmd_RENDER)
    {
        // Without a frame setup the output has the input's size.
        const A_long width = outputSizeOverride ? outputSizeOverride->first
            : frameSizeRequested                ? outputWidth
                                                : input.width();
        const A_long height = outputSizeOverride ? outputSizeOverride->second
            : frameSizeRequested                 ? outputHeight
                                                 : input.height();
        output = std::make_unique<PixelWorld>(outputRowbytesOverride
                ? PixelWorld::withRowbytes(width, height, input.deep(), *outputRowbytesOverride)
                : PixelWorld(width, height, input.deep(), outputRowPadding));
    }
    registering = command == PF_Cmd_PARAMS_SETUP;
    if (registering)
    {
        // Registration starts from the input layer alone.
        parameters.resize(1);
    }

    const PF_Err result = module->entryPoint()(command, &inData, outData.get(),
        pointers.empty() ? nullptr : pointers.data(),
        command == PF_Cmd_RENDER ? &output->world() : nullptr, extra);
    registering = false;
    runningCommand = nullptr;

    record.result = result;
    record.outFlags = outData->out_flags;
    const std::size_t length = strnlen(outData->return_msg, sizeof outData->return_msg);
    record.returnMessageTerminated = length < sizeof outData->return_msg;
    record.returnMessage.assign(outData->return_msg, length);
    record.messageShown = (outData->out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;

    takeOverChangedValues(copies);
    switch (command)
    {
    case PF_Cmd_GLOBAL_SETUP:
        globalFlags = outData->out_flags;
        version = outData->my_version;
        break;
    case PF_Cmd_PARAMS_SETUP:
        reportedParameters = outData->num_params;
        break;
    case PF_Cmd_FRAME_SETUP:
    {
        const bool expands = (globalFlags & PF_OutFlag_I_EXPAND_BUFFER) != 0;
        outputWidth = expands ? outData->width : input.width();
        outputHeight = expands ? outData->height : input.height();
        outputOrigin = expands ? outData->origin : PF_Point { 0, 0 };
        frameSizeRequested = true;
        break;
    }
    default:
        break;
    }
    if (command == PF_Cmd_SEQUENCE_SETDOWN)
    {
        // The plug-in disposed of its block; whatever it left is the plug-in's leak.
        sequenceData = nullptr;
    }
    else if (outData->sequence_data)
    {
        sequenceData = outData->sequence_data;
    }
    return result;
}

PF_Err SimulatedHost::applyEffect()
{
    for (const PF_Cmd command : { PF_Cmd_GLOBAL_SETUP, PF_Cmd_PARAMS_SETUP, PF_Cmd_SEQUENCE_SETUP,
             PF_Cmd_UPDATE_PARAMS_UI })
    {
        if (const PF_Err result = send(command))
        {
            return result;
        }
    }
    return PF_Err_NONE;
}

PF_Err SimulatedHost::userChangedParameter(PF_ParamIndex index)
{
    PF_UserChangedParamExtra extra { index };
    return send(PF_Cmd_USER_CHANGED_PARAM, &extra);
}

PF_Err SimulatedHost::editParameter(PF_ParamIndex index, double value)
{
    setParameterValue(index, value);
    return userChangedParameter(index);
}

PF_Err SimulatedHost::renderFrame()
{
    for (const PF_Cmd command : { PF_Cmd_FRAME_SETUP, PF_Cmd_RENDER, PF_Cmd_FRAME_SETDOWN })
    {
        if (const PF_Err result = send(command))
        {
            return result;
        }
    }
    return PF_Err_NONE;
}

// ---- Projects ---------------------------------------------------------------------------------

std::vector<unsigned char> SimulatedHost::saveProject()
{
    send(PF_Cmd_SEQUENCE_FLATTEN);
    return sequenceDataBytes();
}

PF_Err SimulatedHost::reopenProject(const std::vector<unsigned char>& bytes)
{
    if (sequenceData)
    {
        send(PF_Cmd_SEQUENCE_SETDOWN);
    }
    setSequenceDataBytes(bytes);
    return send(PF_Cmd_SEQUENCE_RESETUP);
}

void SimulatedHost::setSequenceDataBytes(const std::vector<unsigned char>& bytes)
{
    clearSequenceData();
    sequenceData = newHandle(bytes);
}

void SimulatedHost::clearSequenceData()
{
    if (sequenceData)
    {
        disposeHandle(sequenceData);
        sequenceData = nullptr;
    }
}

bool SimulatedHost::hasSequenceData() const { return sequenceData != nullptr; }

std::vector<unsigned char> SimulatedHost::sequenceDataBytes() const
{
    const auto found = handles.find(sequenceData);
    return found == handles.end() ? std::vector<unsigned char> {} : found->second->bytes;
}

PF_Handle SimulatedHost::newHandle(const std::vector<unsigned char>& bytes)
{
    auto handle = std::make_unique<Handle>();
    handle->bytes = bytes;
    handle->data = handle->bytes.data();
    const PF_Handle key = &handle->data;
    handles[key] = std::move(handle);
    return key;
}

void SimulatedHost::disposeHandle(PF_Handle handle)
{
    if (handles.erase(handle) == 0)
    {
        ++misuse;
    }
    if (handle == sequenceData)
    {
        sequenceData = nullptr;
    }
}

std::size_t SimulatedHost::liveHandles() const { return handles.size(); }
std::size_t SimulatedHost::liveMemHandles() const { return memHandles.size(); }
std::size_t SimulatedHost::liveHostStrings() const { return hostStrings.size(); }

// ---- Parameters -------------------------------------------------------------------------------

std::vector<PF_ParamDef> SimulatedHost::parameterCopies() const
{
    std::vector<PF_ParamDef> copies;
    for (const Parameter& parameter : parameters)
    {
        PF_ParamDef copy = parameter.def;
        copy.uu.change_flags = PF_ChangeFlag_NONE;
        pointAtText(copy, parameter.text);
        copies.push_back(copy);
    }
    copies[0].u.ld = input.world();
    return copies;
}

void SimulatedHost::takeOverChangedValues(const std::vector<PF_ParamDef>& copies)
{
    // Registration replaced the list; the copies describe the old one.
    for (std::size_t i = 1; i < copies.size() && i < parameters.size(); ++i)
    {
        if (!(copies[i].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE))
        {
            continue;
        }
        PF_ParamDef& stored = parameters[i].def;
        switch (stored.param_type)
        {
        case PF_Param_POPUP:
            stored.u.pd.value = copies[i].u.pd.value;
            break;
        case PF_Param_FLOAT_SLIDER:
            stored.u.fs_d.value = copies[i].u.fs_d.value;
            break;
        case PF_Param_CHECKBOX:
            stored.u.bd.value = copies[i].u.bd.value;
            break;
        default:
            break;
        }
    }
}

int SimulatedHost::parameterCount() const { return static_cast<int>(parameters.size()); }

const PF_ParamDef& SimulatedHost::parameter(PF_ParamIndex index) const
{
    if (index < 0 || index >= parameterCount())
    {
        throw HostError("SimulatedHost: no parameter " + std::to_string(index));
    }
    return parameters[index].def;
}

double SimulatedHost::parameterValue(PF_ParamIndex index) const
{
    const PF_ParamDef& def = parameter(index);
    switch (def.param_type)
    {
    case PF_Param_POPUP:
        return def.u.pd.value;
    case PF_Param_FLOAT_SLIDER:
        return def.u.fs_d.value;
    case PF_Param_CHECKBOX:
        return def.u.bd.value;
    default:
        return 0;
    }
}

void SimulatedHost::setParameterValue(PF_ParamIndex index, double value)
{
    parameter(index);
    PF_ParamDef& def = parameters[index].def;
    // Integral controls take the value truncated; NaN and out-of-range values become 0 rather
    // than an undefined conversion.
    const bool representable = std::isfinite(value) && std::fabs(value) < 2147483647.0;
    const A_long integral = representable ? static_cast<A_long>(value) : 0;
    switch (def.param_type)
    {
    case PF_Param_POPUP:
        def.u.pd.value = integral;
        break;
    case PF_Param_FLOAT_SLIDER:
        def.u.fs_d.value = value;
        break;
    case PF_Param_CHECKBOX:
        def.u.bd.value = integral;
        break;
    default:
        break;
    }
}

std::string SimulatedHost::parameterText(PF_ParamIndex index) const
{
    parameter(index);
    return parameters[index].text;
}

const std::vector<ParamUiUpdate>& SimulatedHost::paramUiUpdates() const { return uiUpdates; }

// ---- Frames -----------------------------------------------------------------------------------

PixelWorld& SimulatedHost::inputLayer() { return input; }

void SimulatedHost::setInputLayer(PixelWorld layer) { input = std::move(layer); }

const PixelWorld& SimulatedHost::outputWorld() const
{
    if (!output)
    {
        throw HostError("SimulatedHost: no render yet");
    }
    return *output;
}

void SimulatedHost::setOutputRowPadding(A_long bytes) { outputRowPadding = bytes; }

void SimulatedHost::overrideOutputSize(A_long width, A_long height)
{
    outputSizeOverride = std::make_pair(width, height);
}

void SimulatedHost::overrideOutputRowbytes(A_long rowbytes) { outputRowbytesOverride = rowbytes; }

void SimulatedHost::setDownsampling(PF_RationalScale x, PF_RationalScale y)
{
    downsampleX = x;
    downsampleY = y;
}

void SimulatedHost::setTime(A_long current, A_long step, A_u_long scale)
{
    currentTime = current;
    timeStep = step;
    timeScale = scale;
}

A_long SimulatedHost::requestedOutputWidth() const { return outputWidth; }
A_long SimulatedHost::requestedOutputHeight() const { return outputHeight; }
PF_Point SimulatedHost::requestedOutputOrigin() const { return outputOrigin; }

// ---- The clip ---------------------------------------------------------------------------------

void SimulatedHost::setFootagePath(const std::u16string& path) { footagePath = path; }

void SimulatedHost::failFootageCall(FootageCall call) { failingFootageCall = call; }

void SimulatedHost::setClipFileName(const std::optional<std::string>& name) { clipFileName = name; }

// ---- Hostile behaviour ------------------------------------------------------------------------

void SimulatedHost::withholdSuite(const std::string& name) { withheldSuites.insert(name); }
void SimulatedHost::handOutNullSuite(const std::string& name) { nullSuites.insert(name); }
void SimulatedHost::removeBasicSuite() { basicSuiteRemoved = true; }
void SimulatedHost::removeUtilityCallbacks() { utilityCallbacksRemoved = true; }
void SimulatedHost::failHandleAllocations(bool fail) { handleAllocationsFail = fail; }

void SimulatedHost::truncateStringCopiesWithoutZero(bool truncate)
{
    stringCopiesTruncatedWithoutZero = truncate;
}

// ---- Inspection -------------------------------------------------------------------------------

const CommandRecord& SimulatedHost::lastCommand() const
{
    if (commands.empty())
    {
        throw HostError("SimulatedHost: no command yet");
    }
    return commands.back();
}

std::vector<std::string> SimulatedHost::shownMessages() const
{
    std::vector<std::string> messages;
    for (const CommandRecord& record : commands)
    {
        if (record.messageShown)
        {
            messages.push_back(record.returnMessage);
        }
    }
    return messages;
}

PF_UtilCallbacks* SimulatedHost::utilityCallbacks() { return &HostCallbacks::utilityCallbacks; }

} // namespace Host
