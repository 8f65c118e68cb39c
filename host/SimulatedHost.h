// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Adobe/HostInterface.h"
#include "host/CommandRecord.h"
#include "host/HostClip.h"
#include "host/HostError.h"
#include "host/HostFaults.h"
#include "host/HostFrames.h"
#include "host/HostMemory.h"
#include "host/HostParameters.h"
#include "host/PixelWorld.h"
#include "host/PluginModule.h"
#include "host/SuiteUse.h"

namespace Host
{

/// A host for tests, for the example and for anyone porting the plug-ins: it loads one effect
/// plug-in, holds one effect instance of it, and plays the host's side of every call the
/// plug-ins make, the way After Effects or Premiere Pro does as far as the plug-ins rely on it.
/// The instance's parts are objects of their own: its parameters, its memory (sequence data
/// included), its footage frames, its clip, the faults a test injects and the record of suite
/// use.
///
/// What the host does for every command (`send`):
/// - input record: application id, effect reference, basic suite, utility callbacks (an
///   unbounded sprintf, strcpy, pixel data), add_param, current time, time step and scale,
///   downsampling, the input layer's size and the instance's sequence data handle;
/// - output record: zeroed, with a fresh heap block each time (an overrun of return_msg is an
///   AddressSanitizer report); at frame setup `width` and `height` are preset to the input size;
/// - parameter array: once parameters are registered, index 0 the input layer's world and the
///   registered parameters as copies; a value is taken over after the command only when the
///   plug-in set PF_ChangeFlag_CHANGED_VALUE on it;
/// - output world: at render only, of the size asked for at frame setup (when the plug-in set
///   PF_OutFlag_I_EXPAND_BUFFER at global setup), same depth as the input, rows padded as set;
/// - extra: PF_UserChangedParamExtra at command 13, otherwise what the caller passes.
/// After the command it records a CommandRecord, takes over out_data->sequence_data when the
/// plug-in set it, and forgets the instance's sequence data after PF_Cmd_SEQUENCE_SETDOWN.
///
/// Suites by application: both hand out "PF Handle Suite" 2 and "PF Param Utils Suite" 3;
/// After Effects (FXTC) also the four AEGP suites of the footage path, Premiere Pro (PrMr) also
/// "PF Utility Suite" 8 and "MediaCore StringSuite" 1. An unknown suite is A_Err_MISSING_SUITE.
///
/// Threads: one SimulatedHost serves one thread at a time. Several hosts may run commands on
/// several threads at once (several instances of the same plug-in, or two plug-ins). The
/// pixel-data callbacks may be called from any thread.
class SimulatedHost
{
public:
    /// `applicationId`: PF_APPL_ID_AFTER_EFFECTS, PF_APPL_ID_PREMIERE_PRO or any other value.
    explicit SimulatedHost(A_long applicationId = PF_APPL_ID_AFTER_EFFECTS);
    ~SimulatedHost();
    SimulatedHost(const SimulatedHost&) = delete;
    SimulatedHost& operator=(const SimulatedHost&) = delete;

    // ---- The plug-in ------------------------------------------------------------------------

    /// Loads the plug-in (HostError when it cannot). Resets parameters and sequence data.
    void load(const std::string& path);
    /// Unloads it (the static plug-in object is destroyed when no other host holds it).
    void unload();
    bool loaded() const;
    A_long applicationId() const { return applId; }

    // ---- Commands -----------------------------------------------------------------------------

    /// Sends any command (also unknown ones) with the current state; returns the plug-in's
    /// result. For PF_Cmd_USER_CHANGED_PARAM use userChangedParameter, or pass the extra here.
    /// HostError without a plug-in, or for a render whose output size (asked for at frame setup)
    /// is negative.
    PF_Err send(PF_Cmd command, void* extra = nullptr);
    /// What a host does when the user applies the effect: global setup, parameter setup,
    /// sequence setup, update of the parameter UI. Returns the first error (and stops there).
    PF_Err applyEffect();
    /// Command 13 with the index in PF_UserChangedParamExtra.
    PF_Err userChangedParameter(PF_ParamIndex index);
    /// A user edit: the value as the host stores it (HostParameters::setValue), then command 13.
    PF_Err editParameter(PF_ParamIndex index, double value);
    /// Frame setup, render and frame setdown; returns the first error.
    PF_Err renderFrame();

    const std::vector<CommandRecord>& history() const { return commands; }
    /// HostError before any command.
    const CommandRecord& lastCommand() const;
    /// Every shown message, in order.
    std::vector<std::string> shownMessages() const;
    /// out_flags and my_version after the last global setup.
    PF_OutFlags globalOutFlags() const { return globalFlags; }
    A_u_long pluginVersion() const { return version; }
    /// num_params after the last parameter setup.
    A_long reportedParameterCount() const { return reportedParameters; }

    // ---- Projects ---------------------------------------------------------------------------

    /// Saving: PF_Cmd_SEQUENCE_FLATTEN, then the flat bytes of the instance's sequence data.
    std::vector<unsigned char> saveProject();
    /// Reopening a saved (or damaged) project: the current sequence data is set down
    /// (PF_Cmd_SEQUENCE_SETDOWN) if there is any, a new block holding `bytes` becomes the
    /// instance's sequence data, then PF_Cmd_SEQUENCE_RESETUP. Returns its result.
    PF_Err reopenProject(const std::vector<unsigned char>& bytes);
    /// Replaces the instance's sequence data with a block of `bytes`, sending nothing.
    void setSequenceDataBytes(const std::vector<unsigned char>& bytes);
    /// Forgets the instance's sequence data (frees it host-side), sending nothing; the next
    /// commands get a null sequence_data.
    void clearSequenceData();
    bool hasSequenceData() const;
    /// The instance's sequence data as bytes (empty without).
    std::vector<unsigned char> sequenceDataBytes() const;

    // ---- The instance's parts -----------------------------------------------------------------

    HostParameters& parameters() { return instanceParameters; }
    HostMemory& memory() { return instanceMemory; }
    HostFrames& frames() { return footageFrames; }
    const HostFrames& frames() const { return footageFrames; }
    HostClip& clip() { return footageClip; }
    HostFaults& faults() { return injectedFaults; }
    SuiteUse& suiteUse() { return suiteRecord; }

    /// The host's utility callbacks (sprintf, strcpy, pixel data), for code that drives parts of
    /// a plug-in directly instead of through a command; valid for the life of the process.
    static PF_UtilCallbacks* utilityCallbacks();

private:
    void resetInstance();

    A_long applId;
    HostParameters instanceParameters;
    HostMemory instanceMemory;
    HostFrames footageFrames;
    HostClip footageClip;
    HostFaults injectedFaults;
    SuiteUse suiteRecord;
    std::vector<CommandRecord> commands;
    PF_OutFlags globalFlags = 0;
    A_u_long version = 0;
    A_long reportedParameters = 0;
    // Last, so that the plug-in goes before the blocks it might still refer to.
    std::unique_ptr<PluginModule> module;
};

} // namespace Host
