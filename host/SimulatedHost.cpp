// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/SimulatedHost.h"

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

} // namespace

SimulatedHost::SimulatedHost(A_long applicationId)
    : applId(applicationId)
{
}

SimulatedHost::~SimulatedHost() = default;

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
    instanceParameters.reset();
    footageFrames.forgetFrameSetup();
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
    suiteRecord.begin(record);

    PF_InData inData {};
    inData.inter = HostCallbacks::interactCallbacks;
    inData.utils = injectedFaults.utilityCallbacksRemoved() ? nullptr : utilityCallbacks();
    inData.effect_ref = HostCallbacks::effectReference(this);
    inData.appl_id = applId;
    footageFrames.describe(inData);
    inData.sequence_data = instanceMemory.sequenceData();
    inData.pica_basicP = injectedFaults.basicSuiteRemoved()
        ? nullptr
        : const_cast<SPBasicSuite*>(&HostCallbacks::basicSuite);

    // A fresh heap block per command: an overrun of return_msg is caught by AddressSanitizer.
    auto outData = std::make_unique<PF_OutData>();
    std::memset(outData.get(), 0, sizeof(PF_OutData));
    if (command == PF_Cmd_FRAME_SETUP)
    {
        outData->width = footageFrames.inputLayer().width();
        outData->height = footageFrames.inputLayer().height();
    }

    std::vector<PF_ParamDef> copies = instanceParameters.copies(footageFrames.inputLayer().world());
    std::vector<PF_ParamDef*> pointers;
    for (PF_ParamDef& copy : copies)
    {
        pointers.push_back(&copy);
    }
    PF_EffectWorld* output
        = command == PF_Cmd_RENDER ? &footageFrames.newOutputWorld().world() : nullptr;
    if (command == PF_Cmd_PARAMS_SETUP)
    {
        instanceParameters.beginRegistration();
    }

    const PF_Err result = module->entryPoint()(command, &inData, outData.get(),
        pointers.empty() ? nullptr : pointers.data(), output, extra);
    instanceParameters.endRegistration();
    suiteRecord.end();

    record.result = result;
    record.outFlags = outData->out_flags;
    const std::size_t length = strnlen(outData->return_msg, sizeof outData->return_msg);
    record.returnMessageTerminated = length < sizeof outData->return_msg;
    record.returnMessage.assign(outData->return_msg, length);
    record.messageShown = (outData->out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) != 0;

    instanceParameters.takeOverChangedValues(copies);
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
        footageFrames.takeFrameSetup(*outData, (globalFlags & PF_OutFlag_I_EXPAND_BUFFER) != 0);
        break;
    default:
        break;
    }
    if (command == PF_Cmd_SEQUENCE_SETDOWN)
    {
        // The plug-in disposed of its block; whatever it left is the plug-in's leak.
        instanceMemory.setSequenceData(nullptr);
    }
    else if (outData->sequence_data)
    {
        instanceMemory.setSequenceData(outData->sequence_data);
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
    instanceParameters.setValue(index, value);
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

// ---- Projects ---------------------------------------------------------------------------------

std::vector<unsigned char> SimulatedHost::saveProject()
{
    send(PF_Cmd_SEQUENCE_FLATTEN);
    return sequenceDataBytes();
}

PF_Err SimulatedHost::reopenProject(const std::vector<unsigned char>& bytes)
{
    if (hasSequenceData())
    {
        send(PF_Cmd_SEQUENCE_SETDOWN);
    }
    setSequenceDataBytes(bytes);
    return send(PF_Cmd_SEQUENCE_RESETUP);
}

void SimulatedHost::setSequenceDataBytes(const std::vector<unsigned char>& bytes)
{
    clearSequenceData();
    instanceMemory.setSequenceData(instanceMemory.allocate(bytes));
}

void SimulatedHost::clearSequenceData()
{
    // A block the plug-in named as its sequence data without the host having made it is
    // a misuse like any other unknown handle.
    const PF_Handle handle = instanceMemory.sequenceData();
    if (handle && !instanceMemory.dispose(handle))
    {
        suiteRecord.misused();
    }
}

bool SimulatedHost::hasSequenceData() const { return instanceMemory.sequenceData() != nullptr; }

std::vector<unsigned char> SimulatedHost::sequenceDataBytes() const
{
    const std::vector<unsigned char>* bytes = instanceMemory.bytes(instanceMemory.sequenceData());
    return bytes ? *bytes : std::vector<unsigned char> {};
}

PF_UtilCallbacks* SimulatedHost::utilityCallbacks() { return &HostCallbacks::utilityCallbacks; }

} // namespace Host
