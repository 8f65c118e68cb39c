// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Adobe/HostInterface.h"
#include "host/PixelWorld.h"
#include "host/PluginModule.h"

namespace Host
{

/// Acquisitions and releases of one suite (by name and version) during one command.
struct SuiteCount
{
    int acquired = 0;
    int released = 0;
};

/// What one command did, as the host saw it after the call.
struct CommandRecord
{
    PF_Cmd command = 0;
    PF_Err result = PF_Err_NONE;
    PF_OutFlags outFlags = 0;
    /// return_msg, up to its terminating zero (also when not shown).
    std::string returnMessage;
    /// PF_OutFlag_DISPLAY_ERROR_MESSAGE was set: the host showed returnMessage.
    bool messageShown = false;
    /// return_msg had a terminating zero within its 256 bytes.
    bool returnMessageTerminated = true;
    /// Key: suite name, "/", version (e.g. "PF Handle Suite/2").
    std::map<std::string, SuiteCount> suites;

    /// Every suite acquired in the command was released by its end, and nothing more.
    bool suitesBalanced() const;
};

/// A call of PF_ParamUtilsSuite3::PF_UpdateParamUI.
struct ParamUiUpdate
{
    PF_ParamIndex index = 0;
    PF_ParamUIFlags uiFlags = 0;
    std::string name;
};

/// The footage calls of After Effects that a test can make fail (a layer without footage fails
/// AEGP_GetMainFootageFromItem, as a solid or a precomposition does).
enum class FootageCall
{
    none,
    getEffectLayer,
    getLayerSourceItem,
    getMainFootageFromItem,
    getFootageNumFiles,
    getFootagePath,
    lockMemHandle,
};

/// A host for tests, for the example and for anyone porting the plug-ins: it loads one effect
/// plug-in, holds one effect instance of it, and plays the host's side of every call the
/// plug-ins make, the way After Effects or Premiere Pro does as far as the plug-ins rely on it.
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
    /// A user edit: the value as the host stores it (setParameterValue), then command 13.
    PF_Err editParameter(PF_ParamIndex index, double value);
    /// Frame setup, render and frame setdown; returns the first error.
    PF_Err renderFrame();

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

    // ---- Parameters ---------------------------------------------------------------------------

    /// Registered parameters plus the input layer (index 0).
    int parameterCount() const;
    /// The host's stored record (after PF_UpdateParamUI and taken-over values).
    const PF_ParamDef& parameter(PF_ParamIndex index) const;
    /// The value of a popup (1-based), float slider, checkbox (0 or 1) or button (0).
    double parameterValue(PF_ParamIndex index) const;
    /// Sets the stored value as the user would; a popup or checkbox takes the value truncated.
    void setParameterValue(PF_ParamIndex index, double value);
    /// The popup's choices, the checkbox's text or the button's label as registered.
    std::string parameterText(PF_ParamIndex index) const;
    const std::vector<ParamUiUpdate>& paramUiUpdates() const;

    // ---- Frames -----------------------------------------------------------------------------

    /// The effect's input layer (parameter 0); 8-bit 64 x 32 at start.
    PixelWorld& inputLayer();
    void setInputLayer(PixelWorld layer);
    /// The output world of the last render (HostError before any).
    const PixelWorld& outputWorld() const;
    /// Extra bytes after each row of the output worlds the host creates.
    void setOutputRowPadding(A_long bytes);
    /// A host that ignores the size asked for at frame setup: the output world has this size.
    void overrideOutputSize(A_long width, A_long height);
    /// A hostile host: output worlds with exactly these rowbytes (also smaller than a row).
    void overrideOutputRowbytes(A_long rowbytes);
    void setDownsampling(PF_RationalScale x, PF_RationalScale y);
    void setTime(A_long currentTime, A_long timeStep, A_u_long timeScale);
    /// The output size and origin asked for at the last frame setup.
    A_long requestedOutputWidth() const;
    A_long requestedOutputHeight() const;
    PF_Point requestedOutputOrigin() const;

    // ---- The clip -------------------------------------------------------------------------------

    /// After Effects: the footage path as UTF-16 units (any units: non-BMP pairs, lone
    /// surrogates). The default is u"/Volumes/Media/A001C003.mov".
    void setFootagePath(const std::u16string& path);
    /// After Effects: this footage call (and so the path) fails from now on.
    void failFootageCall(FootageCall call);
    /// Premiere Pro: the clip's file name; an empty optional makes GetFileName fail.
    void setClipFileName(const std::optional<std::string>& name);

    // ---- Hostile behaviour ------------------------------------------------------------------

    /// AcquireSuite fails with A_Err_MISSING_SUITE for every version of this suite name.
    void withholdSuite(const std::string& name);
    /// AcquireSuite returns success and a null suite for this suite name.
    void handOutNullSuite(const std::string& name);
    /// in_data->pica_basicP is null.
    void removeBasicSuite();
    /// in_data->utils is null.
    void removeUtilityCallbacks();
    /// host_new_handle returns null (no memory).
    void failHandleAllocations(bool fail);
    /// CopyToUTF8String fills the whole buffer with the string's first bytes, without a
    /// terminating zero, and reports success (a host that truncates silently).
    void truncateStringCopiesWithoutZero(bool truncate);

    // ---- Inspection -----------------------------------------------------------------------------

    A_long applicationId() const { return applId; }
    const std::vector<CommandRecord>& history() const { return commands; }
    /// HostError before any command.
    const CommandRecord& lastCommand() const;
    /// Every shown message, in order.
    std::vector<std::string> shownMessages() const;
    /// The format of every call of the host's sprintf, in order.
    const std::vector<std::string>& sprintfFormats() const { return formats; }
    /// out_flags and my_version after the last global setup.
    PF_OutFlags globalOutFlags() const { return globalFlags; }
    A_u_long pluginVersion() const { return version; }
    /// num_params after the last parameter setup.
    A_long reportedParameterCount() const { return reportedParameters; }
    /// Blocks the plug-in holds: handles (sequence data included), AEGP memory handles, host
    /// strings. Misuse counts calls with handles the host does not know (or double unlocks).
    std::size_t liveHandles() const;
    std::size_t liveMemHandles() const;
    std::size_t liveHostStrings() const;
    std::size_t handleMisuse() const { return misuse; }

    /// The host's utility callbacks (sprintf, strcpy, pixel data), for code that drives parts of
    /// a plug-in directly instead of through a command; valid for the life of the process.
    static PF_UtilCallbacks* utilityCallbacks();

private:
    friend class HostCallbacks;
    struct Parameter;
    struct Handle;

    void resetInstance();
    std::vector<PF_ParamDef> parameterCopies() const;
    void takeOverChangedValues(const std::vector<PF_ParamDef>& copies);
    PF_Handle newHandle(const std::vector<unsigned char>& bytes);
    void disposeHandle(PF_Handle handle);

    A_long applId;
    std::unique_ptr<PluginModule> module;

    // Effect instance
    std::vector<Parameter> parameters;
    PF_Handle sequenceData = nullptr;
    std::map<PF_Handle, std::unique_ptr<Handle>> handles;
    std::vector<ParamUiUpdate> uiUpdates;
    bool registering = false;

    // Frames
    PixelWorld input;
    std::unique_ptr<PixelWorld> output;
    A_long outputRowPadding = 0;
    std::optional<std::pair<A_long, A_long>> outputSizeOverride;
    std::optional<A_long> outputRowbytesOverride;
    PF_RationalScale downsampleX { 1, 1 };
    PF_RationalScale downsampleY { 1, 1 };
    A_long currentTime = 0;
    A_long timeStep = 1;
    A_u_long timeScale = 24;
    A_long outputWidth = 0;
    A_long outputHeight = 0;
    PF_Point outputOrigin { 0, 0 };
    bool frameSizeRequested = false;

    // Clip
    std::u16string footagePath;
    FootageCall failingFootageCall = FootageCall::none;
    std::optional<std::string> clipFileName;
    std::map<std::uint64_t, std::string> hostStrings;
    std::uint64_t nextHostString = 1;
    std::map<AEGP_MemHandle, std::unique_ptr<std::u16string>> memHandles;

    // Suites and hostile behaviour
    std::set<std::string> withheldSuites;
    std::set<std::string> nullSuites;
    bool basicSuiteRemoved = false;
    bool utilityCallbacksRemoved = false;
    bool handleAllocationsFail = false;
    bool stringCopiesTruncatedWithoutZero = false;

    // Records
    std::vector<CommandRecord> commands;
    CommandRecord* runningCommand = nullptr;
    std::vector<std::string> formats;
    PF_OutFlags globalFlags = 0;
    A_u_long version = 0;
    A_long reportedParameters = 0;
    std::size_t misuse = 0;
};

} // namespace Host
