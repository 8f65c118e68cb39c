// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause

// A test-only effect on the plug-in framework: each operation does what the test asks through
// the parameters (TestEffectProtocol.h). Built as a plug-in of its own and loaded by the tests
// into the simulated host.
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "Adobe/AEGP_SuiteHandler.h"
#include "AePlugin/AeClip.h"
#include "AePlugin/AeFrame.h"
#include "AePlugin/AePlugin.h"
#include "AePlugin/TestEffect/TestEffectProtocol.h"

namespace
{

struct Unknown
{
};

class FrameworkTestEffect : public AePlugin
{
protected:
    std::string pluginId() const override
    {
        return TestEffect::pluginIdPrefix + std::to_string(getpid());
    }
    void about() override { behave("about"); }
    void globalSetup() override
    {
        if (behave("globalSetup"))
        {
            ae->outData->out_flags |= PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER;
        }
    }
    void parameterSetup() override;
    void userChangedParameter() override
    {
        if (behave("userChangedParameter") && behaviour() == TestEffect::reportClip)
        {
            reportClip();
        }
    }
    void sequenceSetup() override;
    void sequenceResetup() override { behave("sequenceResetup"); }
    void updateParameterUI() override { behave("updateParameterUI"); }
    void sequenceFlatten() override { behave("sequenceFlatten"); }
    void sequenceSetdown() override;
    void frameSetup() override;
    void render(bool errorPending) override;

private:
    int behaviour() const;
    double argument() const { return value(TestEffect::argumentParameter); }
    double value(int index) const;
    /// Throws as the behaviour asks; true for normal behaviour (after writing the name).
    bool behave(const char* operation) const;
    void reportClip() const;
};

double FrameworkTestEffect::value(int index) const
{
    return ae->params && ae->params[index] ? ae->params[index]->u.fs_d.value : 0.0;
}

int FrameworkTestEffect::behaviour() const
{
    // Before parameter setup the host passes no parameters of ours.
    const bool registered = ae->params && ae->params[0] && ae->command != PF_Cmd_GLOBAL_SETUP
        && ae->command != PF_Cmd_ABOUT && ae->command != PF_Cmd_PARAMS_SETUP;
    return registered ? ae->params[TestEffect::behaviourParameter]->u.pd.value : TestEffect::normal;
}

bool FrameworkTestEffect::behave(const char* operation) const
{
    const std::string name(operation);
    switch (behaviour())
    {
    case TestEffect::throwPair:
        throw AeErrorPair("Failure in " + name + ".",
            "Failure in " + name + ".\nProcess: " + std::to_string(getpid()));
    case TestEffect::throwInteger:
        throw static_cast<PF_Err>(argument());
    case TestEffect::throwBadAlloc:
        throw std::bad_alloc();
    case TestEffect::throwStdException:
        throw std::runtime_error("Test effect failure in " + name);
    case TestEffect::throwUnknown:
        throw Unknown {};
    case TestEffect::throwLongPair:
    {
        std::string brief;
        for (int i = 0; i < static_cast<int>(argument()); ++i)
        {
            brief += "\xC3\xA9";
        }
        throw AeErrorPair(brief, "Long failure in " + name);
    }
    case TestEffect::throwFormatPair:
        throw AeErrorPair("%s%s%n%x%d", "Format failure in " + name);
    default:
        if (ae->inData->utils)
        {
            ae->inData->utils->ansi.sprintf(ae->outData->return_msg, "%s", operation);
        }
        return true;
    }
}

void FrameworkTestEffect::parameterSetup()
{
    behave("parameterSetup");
    PF_ParamDef def {};
    def.param_type = PF_Param_POPUP;
    std::strcpy(def.name, "Behaviour");
    def.uu.id = TestEffect::behaviourParameter;
    def.u.pd.num_choices = 10;
    def.u.pd.dephault = TestEffect::normal;
    def.u.pd.value = TestEffect::normal;
    def.u.pd.u.namesptr = TestEffect::choices;
    if (const PF_Err error
        = ae->inData->inter.add_param(ae->inData->effect_ref, PF_ParamIndex_APPEND, &def))
    {
        throw error;
    }
    for (const int index : { TestEffect::argumentParameter, TestEffect::growWidthParameter,
             TestEffect::growHeightParameter })
    {
        def = PF_ParamDef {};
        def.param_type = PF_Param_FLOAT_SLIDER;
        std::strcpy(def.name, "Number");
        def.uu.id = index;
        def.u.fs_d.valid_min = -100000;
        def.u.fs_d.valid_max = 100000;
        if (const PF_Err error
            = ae->inData->inter.add_param(ae->inData->effect_ref, PF_ParamIndex_APPEND, &def))
        {
            throw error;
        }
    }
    ae->outData->num_params = TestEffect::parameterCount;
}

void FrameworkTestEffect::sequenceSetup()
{
    if (!behave("sequenceSetup"))
    {
        return;
    }
    const AEGP_SuiteHandler suites(ae->inData->pica_basicP);
    const PF_Handle handle = suites.HandleSuite1()->host_new_handle(4);
    if (!handle)
    {
        throw static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY);
    }
    std::memcpy(suites.HandleSuite1()->host_lock_handle(handle), "seq", 4);
    suites.HandleSuite1()->host_unlock_handle(handle);
    ae->outData->sequence_data = handle;
}

void FrameworkTestEffect::sequenceSetdown()
{
    if (behave("sequenceSetdown") && ae->inData->sequence_data)
    {
        const AEGP_SuiteHandler suites(ae->inData->pica_basicP);
        suites.HandleSuite1()->host_dispose_handle(ae->inData->sequence_data);
        ae->inData->sequence_data = nullptr;
    }
}

void FrameworkTestEffect::frameSetup()
{
    if (!behave("frameSetup"))
    {
        return;
    }
    const A_long growWidth = static_cast<A_long>(value(TestEffect::growWidthParameter));
    const A_long growHeight = static_cast<A_long>(value(TestEffect::growHeightParameter));
    ae->outData->width += growWidth;
    ae->outData->height += growHeight;
    ae->outData->origin.h += growWidth / 2;
    ae->outData->origin.v += growHeight / 2;
}

void FrameworkTestEffect::render(bool errorPending)
{
    const AeFrame frame(ae);
    if (errorPending)
    {
        frame.writeOutputData({ 1.0f, 0.0f, 0.0f, 1.0f });
        return;
    }
    const bool writeValue = behaviour() == TestEffect::writeValue;
    if (!writeValue && !behave("render"))
    {
        return;
    }
    const std::size_t floats = std::size_t(ae->output->width) * ae->output->height * 4;
    std::vector<float> buffer(
        std::max<std::size_t>(floats, 4), writeValue ? static_cast<float>(argument()) : 0.0f);
    if (!writeValue)
    {
        frame.readInputData(buffer.data(), buffer.size() * sizeof(float));
    }
    frame.writeOutputData(buffer.data(), buffer.size() * sizeof(float));
}

void FrameworkTestEffect::reportClip() const
{
    const AeClip clip(ae);
    std::string path;
    std::string name;
    const bool hasPath = clip.filePath(path);
    const bool hasName = clip.fileName(name);
    const std::string report = std::string(hasPath ? "1" : "0") + "\n" + path + "\n"
        + (hasName ? "1" : "0") + "\n" + name;

    const AEGP_SuiteHandler suites(ae->inData->pica_basicP);
    const PF_HandleSuite1* handles = suites.HandleSuite1();
    const PF_Handle handle = handles->host_new_handle(report.size());
    if (!handle)
    {
        throw static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY);
    }
    std::memcpy(handles->host_lock_handle(handle), report.data(), report.size());
    handles->host_unlock_handle(handle);
    if (ae->inData->sequence_data)
    {
        handles->host_dispose_handle(ae->inData->sequence_data);
    }
    ae->outData->sequence_data = handle;
}

FrameworkTestEffect correction;

} // namespace

extern "C" DllExport PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
    PF_ParamDef* params[], PF_LayerDef* output, void* extra)
{
    return correction.run(cmd, in_data, out_data, params, output, extra);
}
