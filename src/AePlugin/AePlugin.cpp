// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "AePlugin/AePlugin.h"

#include <exception>
#include <new>

#include "Adobe/ReturnMessage.h"
#include "Logger/Logger.h"

std::mutex AePlugin::entryPointLock;

namespace
{

std::string hostName(const PF_InData* inData)
{
    const A_long applicationId = inData ? inData->appl_id : 0;
    if (applicationId == PF_APPL_ID_PREMIERE_PRO)
    {
        return "PremierePro";
    }
    if (applicationId == PF_APPL_ID_AFTER_EFFECTS)
    {
        return "AfterEffects";
    }
    return "Unknown";
}

} // namespace

AePlugin::AePlugin()
    : ae(std::make_shared<AeInterface>())
{
}

AePlugin::~AePlugin() = default;

PF_Err AePlugin::run(PF_Cmd command, PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
    PF_LayerDef* output, void* extra) noexcept
{
    // Every exit below is a return: an exception must never unwind into the host. The inner
    // handlers log while the entry lock is still held (the logger relies on it); the outer one
    // only catches what taking the lock or logging itself may throw.
    PF_Err result = PF_Err_NONE;
    try
    {
        const std::lock_guard<std::mutex> lock(entryPointLock);
        *ae = AeInterface { command, inData, outData, params, output, extra };
        try
        {
            createLoggerIfNeeded();
            result = runCommandReportingErrors();
        }
        catch (const std::bad_alloc& error)
        {
            logUnexpected(std::string("Out of memory: ") + error.what());
            result = PF_Err_OUT_OF_MEMORY;
        }
        catch (const std::exception& error)
        {
            logUnexpected(std::string("Unexpected exception: ") + error.what());
            result = PF_Err_INTERNAL_STRUCT_DAMAGED;
        }
        catch (...)
        {
            logUnexpected("Unexpected exception of unknown type.");
            result = PF_Err_INTERNAL_STRUCT_DAMAGED;
        }
        // A parameter change always asks for a new frame, whatever became of the command.
        if (command == PF_Cmd_USER_CHANGED_PARAM && outData)
        {
            outData->out_flags |= PF_OutFlag_FORCE_RERENDER;
        }
        *ae = AeInterface {};
    }
    catch (...)
    {
        // The lock itself (std::system_error) or lack of memory while logging.
        result = PF_Err_INTERNAL_STRUCT_DAMAGED;
    }
    return result;
}

void AePlugin::createLoggerIfNeeded()
{
    std::call_once(loggerOnceFlag,
        [this]
        {
            logger = std::make_unique<Core::Logger>(
                "/tmp/" + pluginId() + "." + hostName(ae->inData) + ".log");
        });
}

PF_Err AePlugin::runCommandReportingErrors()
{
    try
    {
        return runCommand();
    }
    catch (const AeErrorPair& error)
    {
        reportErrorPair(error);
        return PF_Err_NONE;
    }
    catch (PF_Err error)
    {
        // Whoever threw a host code has already written any message.
        return error;
    }
}

PF_Err AePlugin::runCommand()
{
    switch (ae->command)
    {
    case PF_Cmd_ABOUT:
        about();
        break;
    case PF_Cmd_GLOBAL_SETUP:
        globalSetup();
        break;
    case PF_Cmd_PARAMS_SETUP:
        parameterSetup();
        break;
    case PF_Cmd_SEQUENCE_SETUP:
        sequenceSetup();
        break;
    case PF_Cmd_SEQUENCE_RESETUP:
        sequenceResetup();
        break;
    case PF_Cmd_SEQUENCE_FLATTEN:
        sequenceFlatten();
        break;
    case PF_Cmd_SEQUENCE_SETDOWN:
        sequenceSetdown();
        break;
    case PF_Cmd_FRAME_SETUP:
        frameSetup();
        break;
    case PF_Cmd_RENDER:
    {
        const bool pending = errorPending;
        errorPending = false;
        render(pending);
        break;
    }
    case PF_Cmd_USER_CHANGED_PARAM:
        userChangedParameter();
        break;
    case PF_Cmd_UPDATE_PARAMS_UI:
        updateParameterUI();
        break;
    default:
        break;
    }
    return PF_Err_NONE;
}

void AePlugin::reportErrorPair(const AeErrorPair& error)
{
    // Only the first failure since the last render is shown; a render's own failure always is,
    // because the render cleared the flag before it started.
    if (!errorPending)
    {
        if (logger)
        {
            logger->log(error.second);
        }
        writeReturnMessage(ae->inData, ae->outData, error.first);
    }
    if (ae->command != PF_Cmd_RENDER)
    {
        errorPending = true;
    }
}

void AePlugin::logUnexpected(const std::string& what) const
{
    if (logger)
    {
        logger->log("Host command " + std::to_string(ae->command) + " failed. " + what);
    }
}
