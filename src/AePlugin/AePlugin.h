// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "AePlugin/AeInterface.h"

namespace Core
{
class Logger;
}

/// A failure shown to the user: brief description (message area), detailed description (log).
using AeErrorPair = std::pair<std::string, std::string>;

/// Abstract base of an effect: serialises the host's calls, records their arguments in `ae`,
/// creates the log file once and dispatches each command to one of the operations below.
///
/// Operations report a user-visible failure by throwing an `AeErrorPair` and a host failure by
/// throwing a host error code (`PF_Err`); the dispatcher turns both into the host's reporting.
/// Nothing else leaves `run` either: lack of memory becomes PF_Err_OUT_OF_MEMORY, any other
/// exception PF_Err_INTERNAL_STRUCT_DAMAGED, each logged with its text.
class AePlugin
{
public:
    AePlugin();
    virtual ~AePlugin();
    AePlugin(const AePlugin&) = delete;
    AePlugin& operator=(const AePlugin&) = delete;

    /// The body of EntryPointFunc: the six arguments unchanged; returns the command's result.
    /// Holds `entryPointLock` for the whole call. Never throws.
    PF_Err run(PF_Cmd command, PF_InData* inData, PF_OutData* outData, PF_ParamDef* params[],
        PF_LayerDef* output, void* extra) noexcept;

protected:
    // In the dispatch table's slot order.
    virtual std::string pluginId() const = 0; ///< names the log file
    virtual void about() = 0;
    virtual void globalSetup() = 0;
    virtual void parameterSetup() = 0;
    virtual void userChangedParameter() = 0;
    virtual void sequenceSetup() = 0;
    virtual void sequenceResetup() = 0;
    virtual void updateParameterUI() = 0;
    virtual void sequenceFlatten() = 0;
    virtual void sequenceSetdown() = 0;
    virtual void frameSetup() = 0;
    /// `errorPending`: a command since the last render failed; paint the error frame only.
    virtual void render(bool errorPending) = 0;

    void createLoggerIfNeeded();
    PF_Err runCommand();

    /// The current call; valid inside the operations above.
    const std::shared_ptr<AeInterface> ae;

private:
    PF_Err runCommandReportingErrors();
    void reportErrorPair(const AeErrorPair& error);
    void logUnexpected(const std::string& what) const;

    std::once_flag loggerOnceFlag;
    std::unique_ptr<Core::Logger> logger;
    bool errorPending = false;

    /// One per deliverable: the framework is linked statically into each plug-in.
    static std::mutex entryPointLock;
};
