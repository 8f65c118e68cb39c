// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

#include "Adobe/HostInterface.h"

namespace Host
{

/// The effect instance's parameters as the host keeps them: index 0 the input layer, then the
/// parameters the plug-in registered, with copies of the texts they pointed to. Commands get
/// copies; a value is taken over from a copy only when the plug-in marked it changed.
class HostParameters
{
public:
    HostParameters();

    /// Back to the input layer alone.
    void reset();
    /// Parameter setup starts from the input layer alone; add() is refused outside it.
    void beginRegistration();
    void endRegistration();
    /// add_param: appends `def` (index PF_ParamIndex_APPEND or the next index).
    PF_Err add(PF_ParamIndex index, const PF_ParamDef& def);
    /// PF_UpdateParamUI: takes over the interface flags and the name.
    PF_Err updateUi(PF_ParamIndex index, const PF_ParamDef& def);

    /// The array a command gets: copies without change flags, `layer` at index 0.
    std::vector<PF_ParamDef> copies(const PF_EffectWorld& layer) const;
    /// Takes over the values of the copies the plug-in marked PF_ChangeFlag_CHANGED_VALUE.
    void takeOverChangedValues(const std::vector<PF_ParamDef>& copies);

    /// Registered parameters plus the input layer (index 0).
    int count() const;
    /// The host's stored record (after PF_UpdateParamUI and taken-over values); HostError for an
    /// index it has no parameter for.
    const PF_ParamDef& definition(PF_ParamIndex index) const;
    /// The value of a popup (1-based), float slider, checkbox (0 or 1) or button (0).
    double value(PF_ParamIndex index) const;
    /// Sets the stored value as the user would; a popup or checkbox takes the value truncated.
    void setValue(PF_ParamIndex index, double value);
    /// The popup's choices, the checkbox's text or the button's label as registered.
    std::string text(PF_ParamIndex index) const;

private:
    struct Parameter
    {
        PF_ParamDef def {};
        std::string text;
    };

    std::vector<Parameter> parameters;
    bool registering = false;
};

} // namespace Host
