// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include <unistd.h>

#include "AePlugin/TestEffect/TestEffectProtocol.h"
#include "host/SimulatedHost.h"

namespace TestEffect
{

/// A simulated host with the framework test effect loaded (not yet applied).
class TestEffectHost : public Host::SimulatedHost
{
public:
    explicit TestEffectHost(A_long applicationId = PF_APPL_ID_AFTER_EFFECTS)
        : SimulatedHost(applicationId)
    {
        load(LC_FRAMEWORK_TEST_EFFECT);
    }

    void setBehaviour(Behaviour behaviour, double argument = 0)
    {
        parameters().setValue(behaviourParameter, behaviour);
        parameters().setValue(argumentParameter, argument);
    }

    /// The log file the framework names after the effect and this host.
    std::string logPath() const
    {
        const A_long id = applicationId();
        const char* host = id == PF_APPL_ID_AFTER_EFFECTS ? "AfterEffects"
            : id == PF_APPL_ID_PREMIERE_PRO               ? "PremierePro"
                                                          : "Unknown";
        return "/tmp/" + std::string(pluginIdPrefix) + std::to_string(getpid()) + "." + host
            + ".log";
    }
};

} // namespace TestEffect
