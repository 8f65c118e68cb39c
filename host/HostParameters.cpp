// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "host/HostParameters.h"

#include <cmath>
#include <cstring>

#include "host/HostError.h"

namespace Host
{

namespace
{

    /// Where a record of this kind points at its text; null for kinds without one.
    const char** textField(PF_ParamDef& def)
    {
        switch (def.param_type)
        {
        case PF_Param_POPUP:
            return &def.u.pd.u.namesptr;
        case PF_Param_CHECKBOX:
            return &def.u.bd.u.nameptr;
        case PF_Param_BUTTON:
            return &def.u.button_d.u.namesptr;
        default:
            return nullptr;
        }
    }

} // namespace

HostParameters::HostParameters() { reset(); }

void HostParameters::reset()
{
    parameters.clear();
    Parameter layer;
    layer.def.param_type = PF_Param_LAYER;
    parameters.push_back(std::move(layer));
}

void HostParameters::beginRegistration()
{
    registering = true;
    parameters.resize(1);
}

void HostParameters::endRegistration() { registering = false; }

PF_Err HostParameters::add(PF_ParamIndex index, const PF_ParamDef& def)
{
    if (!registering || (index != PF_ParamIndex_APPEND && index != count()))
    {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    Parameter parameter;
    parameter.def = def;
    // The plug-in's texts need not outlive the call: keep copies.
    const char** text = textField(parameter.def);
    parameter.text = text && *text ? *text : "";
    parameter.def.name[sizeof parameter.def.name - 1] = '\0';
    parameters.push_back(std::move(parameter));
    return PF_Err_NONE;
}

PF_Err HostParameters::updateUi(PF_ParamIndex index, const PF_ParamDef& def)
{
    if (index <= 0 || index >= count())
    {
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    PF_ParamDef& stored = parameters[index].def;
    stored.ui_flags = def.ui_flags;
    std::memcpy(stored.name, def.name, sizeof stored.name);
    stored.name[sizeof stored.name - 1] = '\0';
    return PF_Err_NONE;
}

std::vector<PF_ParamDef> HostParameters::copies(const PF_EffectWorld& layer) const
{
    std::vector<PF_ParamDef> result;
    for (const Parameter& parameter : parameters)
    {
        PF_ParamDef copy = parameter.def;
        copy.uu.change_flags = PF_ChangeFlag_NONE;
        // The copy points at the host's text, not at whatever the plug-in once passed.
        if (const char** text = textField(copy))
        {
            *text = parameter.text.c_str();
        }
        result.push_back(copy);
    }
    result[0].u.ld = layer;
    return result;
}

void HostParameters::takeOverChangedValues(const std::vector<PF_ParamDef>& copies)
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

int HostParameters::count() const { return static_cast<int>(parameters.size()); }

const PF_ParamDef& HostParameters::definition(PF_ParamIndex index) const
{
    if (index < 0 || index >= count())
    {
        throw HostError("SimulatedHost: no parameter " + std::to_string(index));
    }
    return parameters[index].def;
}

double HostParameters::value(PF_ParamIndex index) const
{
    const PF_ParamDef& def = definition(index);
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

void HostParameters::setValue(PF_ParamIndex index, double value)
{
    definition(index);
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

std::string HostParameters::text(PF_ParamIndex index) const
{
    definition(index);
    return parameters[index].text;
}

} // namespace Host
