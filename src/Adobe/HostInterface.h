// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// The host's effect interface, as far as our plug-ins use it: every type, constant and suite
// record that a host and a plug-in share. Names follow the host SDK so that the plug-in code reads
// as it would against it; where the SDK has more fields or functions than we use, only ours are
// declared, and the layouts are ours (both sides compile this header). A host includes only this
// file.
//
// Conventions of the interface:
// - Every call returns an error code; 0 (PF_Err_NONE, A_Err_NONE) is success.
// - Records and the parameter array belong to the host and are valid for the length of one call.
// - Handles are host-owned memory blocks; a plug-in locks one to reach its bytes.

#include <cstdint>

#if defined(__GNUC__)
#define DllExport __attribute__((visibility("default")))
#else
#define DllExport
#endif

// ---- Scalars ----------------------------------------------------------------------------------

typedef int32_t A_long;
typedef uint32_t A_u_long;
typedef int16_t A_short;
typedef uint16_t A_u_short;
typedef uint8_t A_u_char;
typedef char A_char;
typedef uint64_t A_u_longlong;
typedef int32_t A_Err;
typedef int32_t PF_Err;
typedef int32_t PF_Cmd;
typedef double PF_FpLong;
typedef float PF_FpShort;
typedef A_long PF_ParamIndex;
typedef A_long PF_ParamType;
typedef A_long PF_ParamFlags;
typedef A_long PF_ParamUIFlags;
typedef A_long PF_ChangeFlags;
typedef A_long PF_OutFlags;
typedef A_long PF_WorldFlags;

// Opaque host objects: a plug-in only passes them back to the host.
typedef struct _PF_ProgressInfo* PF_ProgPtr; ///< the effect reference of the current call
typedef void** PF_Handle; ///< a host-owned memory block
typedef struct _AEGP_LayerH* AEGP_LayerH;
typedef struct _AEGP_ItemH* AEGP_ItemH;
typedef struct _AEGP_FootageH* AEGP_FootageH;
typedef struct _AEGP_MemHandle* AEGP_MemHandle;

/// A host string (Premiere Pro); its contents are the host's, read through PrSDKStringSuite.
struct PrSDKString
{
    uint64_t opaque[2];
};

// ---- Commands (PF_Cmd) ------------------------------------------------------------------------

enum
{
    PF_Cmd_ABOUT = 0,
    PF_Cmd_GLOBAL_SETUP = 1,
    PF_Cmd_UNUSED_0 = 2,
    PF_Cmd_GLOBAL_SETDOWN = 3,
    PF_Cmd_PARAMS_SETUP = 4,
    PF_Cmd_SEQUENCE_SETUP = 5,
    PF_Cmd_SEQUENCE_RESETUP = 6,
    PF_Cmd_SEQUENCE_FLATTEN = 7,
    PF_Cmd_SEQUENCE_SETDOWN = 8,
    PF_Cmd_DO_DIALOG = 9,
    PF_Cmd_FRAME_SETUP = 10,
    PF_Cmd_RENDER = 11,
    PF_Cmd_FRAME_SETDOWN = 12,
    PF_Cmd_USER_CHANGED_PARAM = 13, ///< extra: PF_UserChangedParamExtra*
    PF_Cmd_UPDATE_PARAMS_UI = 14,
};

// ---- Error codes ------------------------------------------------------------------------------

enum
{
    PF_Err_NONE = 0,
    A_Err_NONE = 0,
    PF_Err_OUT_OF_MEMORY = 4,
    A_Err_MISSING_SUITE = 13,
    PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
    PF_Err_BAD_CALLBACK_PARAM = 516,
};

// ---- Output flags (PF_OutData::out_flags) -----------------------------------------------------

enum
{
    PF_OutFlag_NONE = 0,
    PF_OutFlag_DISPLAY_ERROR_MESSAGE = 0x100, ///< show return_msg to the user
    PF_OutFlag_I_EXPAND_BUFFER = 0x200, ///< the output may be larger than the input
    PF_OutFlag_FORCE_RERENDER = 0x400000, ///< render again after this command
    PF_OutFlag_DEEP_COLOR_AWARE = 0x2000000, ///< handles 16-bit worlds
};

// ---- Parameters -------------------------------------------------------------------------------

enum
{
    PF_Param_LAYER = 0,
    PF_Param_CHECKBOX = 4,
    PF_Param_POPUP = 7,
    PF_Param_FLOAT_SLIDER = 10,
    PF_Param_GROUP_START = 13,
    PF_Param_GROUP_END = 14,
    PF_Param_BUTTON = 15,
};

enum
{
    PF_ParamFlag_NONE = 0,
    PF_ParamFlag_SUPERVISE = 0x40, ///< the host sends PF_Cmd_USER_CHANGED_PARAM on edits
};

enum
{
    PF_PUI_NONE = 0,
    PF_PUI_DISABLED = 0x20,
    PF_PUI_INVISIBLE = 0x200,
};

enum
{
    PF_ChangeFlag_NONE = 0,
    PF_ChangeFlag_CHANGED_VALUE = 1, ///< set by the plug-in: take over the new value
};

enum
{
    PF_ValueDisplayFlag_NONE = 0,
};

/// Parameter index that appends at add_param.
enum
{
    PF_ParamIndex_APPEND = -1,
};

// ---- Worlds -----------------------------------------------------------------------------------

enum
{
    PF_WorldFlag_DEEP = 1, ///< 16-bit channels; otherwise 8-bit
};

enum
{
    PF_MAX_CHAN8 = 255,
    PF_MAX_CHAN16 = 32768, ///< the host's 16-bit channel maximum, not 65535
};

/// Application identifiers (PF_InData::appl_id), four-character codes.
enum : A_long
{
    PF_APPL_ID_AFTER_EFFECTS = 0x46585443, ///< 'FXTC'
    PF_APPL_ID_PREMIERE_PRO = 0x50724D72, ///< 'PrMr'
};

enum
{
    PF_MAX_EFFECT_MSG_LEN = 255, ///< return_msg holds this many bytes and a terminating zero
    PF_MAX_EFFECT_PARAM_NAME_LEN = 31,
};

struct PF_RationalScale
{
    A_long num;
    A_u_long den;
};

struct PF_Point
{
    A_long h;
    A_long v;
};

/// 8-bit pixel, channels in alpha, red, green, blue order, each 0 to 255.
struct PF_Pixel8
{
    A_u_char alpha;
    A_u_char red;
    A_u_char green;
    A_u_char blue;
};
typedef PF_Pixel8 PF_Pixel;
typedef PF_Pixel8* PF_PixelPtr;

/// 16-bit pixel, channels in alpha, red, green, blue order, each 0 to 32768.
struct PF_Pixel16
{
    A_u_short alpha;
    A_u_short red;
    A_u_short green;
    A_u_short blue;
};

/// A pixel world: `height` rows of `width` pixels, rows `rowbytes` apart (possibly padded).
/// 16-bit when `world_flags` has PF_WorldFlag_DEEP. Plug-ins reach the pixels through the
/// get_pixel_data8/16 callbacks, not through `data` directly.
struct PF_LayerDef
{
    PF_WorldFlags world_flags;
    PF_PixelPtr data;
    A_long rowbytes;
    A_long width;
    A_long height;
};
typedef PF_LayerDef PF_EffectWorld;

struct PF_PopupDef
{
    A_long value; ///< 1-based choice
    A_short num_choices;
    A_short dephault;
    union
    {
        A_long id;
        const A_char* namesptr; ///< choices separated by "|"
    } u;
};

struct PF_FloatSliderDef
{
    PF_FpLong value;
    PF_FpLong phase;
    PF_FpShort valid_min;
    PF_FpShort valid_max;
    PF_FpShort slider_min;
    PF_FpShort slider_max;
    PF_FpShort dephault;
    A_short precision; ///< decimal places shown
    A_short display_flags;
    PF_FpShort curve_tolerance;
};

struct PF_CheckBoxDef
{
    A_long value; ///< nonzero when on
    A_long dephault;
    union
    {
        A_long id;
        const A_char* nameptr; ///< text beside the box
    } u;
};

struct PF_ButtonDef
{
    A_long value;
    union
    {
        A_long id;
        const A_char* namesptr; ///< the button's label
    } u;
};

union PF_ParamDefUnion
{
    PF_LayerDef ld; ///< index 0: the effect's input layer
    PF_PopupDef pd;
    PF_FloatSliderDef fs_d;
    PF_CheckBoxDef bd;
    PF_ButtonDef button_d;
};

/// One parameter. At registration the plug-in fills a record and hands it to add_param; during a
/// command the host passes an array of pointers, index 0 being the input layer.
struct PF_ParamDef
{
    union
    {
        A_long id; ///< at registration: the parameter's stable identifier
        PF_ChangeFlags change_flags; ///< during a command: set by the plug-in after writing
    } uu;
    PF_ParamUIFlags ui_flags;
    PF_ParamType param_type;
    A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
    PF_ParamFlags flags;
    PF_ParamDefUnion u;
};
typedef PF_ParamDef* PF_ParamDefPtr;
typedef PF_ParamDef** PF_ParamList;

/// The extra record of PF_Cmd_USER_CHANGED_PARAM.
struct PF_UserChangedParamExtra
{
    PF_ParamIndex param_index;
};

// ---- Suites -----------------------------------------------------------------------------------

/// The host's suite dispenser (PF_InData::pica_basicP). A suite is a record of function pointers
/// obtained by name and version; every acquisition must be released with the same name and
/// version.
struct SPBasicSuite
{
    A_Err (*AcquireSuite)(const char* name, A_long version, const void** suite);
    A_Err (*ReleaseSuite)(const char* name, A_long version);
};

#define kPFHandleSuite "PF Handle Suite"
#define kPFHandleSuiteVersion1 2
struct PF_HandleSuite1
{
    PF_Handle (*host_new_handle)(A_u_longlong size); ///< null without memory
    void* (*host_lock_handle)(PF_Handle handle);
    void (*host_unlock_handle)(PF_Handle handle);
    void (*host_dispose_handle)(PF_Handle handle);
    A_u_longlong (*host_get_handle_size)(PF_Handle handle);
};

#define kPFParamUtilsSuite "PF Param Utils Suite"
#define kPFParamUtilsSuiteVersion3 3
struct PF_ParamUtilsSuite3
{
    /// Makes the host take over a parameter's ui_flags (enabled state) and name.
    PF_Err (*PF_UpdateParamUI)(
        PF_ProgPtr effect_ref, PF_ParamIndex param_index, const PF_ParamDef* param);
};

#define kAEGPPFInterfaceSuite "AEGP PF Interface Suite"
#define kAEGPPFInterfaceSuiteVersion1 1
struct AEGP_PFInterfaceSuite1
{
    A_Err (*AEGP_GetEffectLayer)(PF_ProgPtr effect_ref, AEGP_LayerH* layer);
};

#define kAEGPLayerSuite "AEGP Layer Suite"
#define kAEGPLayerSuiteVersion14 14
struct AEGP_LayerSuite14
{
    A_Err (*AEGP_GetLayerSourceItem)(AEGP_LayerH layer, AEGP_ItemH* source_item);
};

#define kAEGPFootageSuite "AEGP Footage Suite"
#define kAEGPFootageSuiteVersion11 11
struct AEGP_FootageSuite11
{
    A_Err (*AEGP_GetMainFootageFromItem)(AEGP_ItemH item, AEGP_FootageH* footage);
    /// Either count may be null.
    A_Err (*AEGP_GetFootageNumFiles)(
        AEGP_FootageH footage, A_long* num_main_files, A_long* files_per_frame);
    /// The path as a memory handle holding zero-terminated UTF-16; the caller frees it.
    A_Err (*AEGP_GetFootagePath)(
        AEGP_FootageH footage, A_long frame_num, A_long file_index, AEGP_MemHandle* unicode_path);
};

#define kAEGPMemorySuite "AEGP Memory Suite"
#define kAEGPMemorySuiteVersion1 1
struct AEGP_MemorySuite1
{
    A_Err (*AEGP_FreeMemHandle)(AEGP_MemHandle mem);
    A_Err (*AEGP_LockMemHandle)(AEGP_MemHandle mem, void** pointer);
    A_Err (*AEGP_UnlockMemHandle)(AEGP_MemHandle mem);
};

#define kPFUtilitySuite "PF Utility Suite"
#define kPFUtilitySuiteVersion8 8
struct PF_UtilitySuite8
{
    /// Premiere Pro: the clip's file name (no directory) as a host string.
    PF_Err (*GetFileName)(PF_ProgPtr effect_ref, PrSDKString* file_name);
};

#define kPrSDKStringSuite "MediaCore StringSuite"
#define kPrSDKStringSuiteVersion 1
struct PrSDKStringSuite
{
    A_Err (*DisposeString)(const PrSDKString* string);
    /// Copies the string as zero-terminated UTF-8; `size` is the buffer's capacity in bytes on
    /// entry and the bytes written (terminating zero included) on return.
    A_Err (*CopyToUTF8String)(const PrSDKString* string, A_char* buffer, A_u_long* size);
};

// ---- Input and output records -----------------------------------------------------------------

/// Callbacks a plug-in may call during a command (PF_InData::inter).
struct PF_InteractCallbacks
{
    /// PF_Cmd_PARAMS_SETUP: registers a parameter; index PF_ParamIndex_APPEND appends. The host
    /// copies the record.
    PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
};

/// The host's C string helpers (PF_InData::utils->ansi). sprintf is unbounded: plug-ins pass
/// every text as a "%s" argument and bound it themselves.
struct PF_ANSICallbacks
{
    A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
    A_char* (*strcpy)(A_char* destination, const A_char* source);
};

struct PF_UtilCallbacks
{
    PF_ANSICallbacks ansi;
    /// Address of the world's first pixel; `pixels` may be null (the world's own data).
    PF_Err (*get_pixel_data8)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** result);
    PF_Err (*get_pixel_data16)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** result);
};

/// What the host tells the plug-in for the current call.
struct PF_InData
{
    PF_InteractCallbacks inter;
    PF_UtilCallbacks* utils;
    PF_ProgPtr effect_ref;
    A_long appl_id; ///< PF_APPL_ID_AFTER_EFFECTS or PF_APPL_ID_PREMIERE_PRO
    A_long current_time; ///< in host time units; frame = current_time / time_step
    A_long time_step; ///< duration of one frame in host time units
    A_u_long time_scale; ///< host time units per second
    A_long width; ///< input layer size at the current resolution
    A_long height;
    PF_RationalScale downsample_x; ///< current resolution, e.g. 1/2 at half resolution
    PF_RationalScale downsample_y;
    PF_Handle sequence_data; ///< the effect instance's stored block (may be null)
    SPBasicSuite* pica_basicP;
};

/// What the plug-in tells the host; the host reads it after the call.
struct PF_OutData
{
    A_u_long my_version; ///< PF_VERSION(major, minor, bug, stage, build)
    A_long num_params; ///< parameters registered, the input layer included
    PF_Handle sequence_data; ///< set at sequence setup
    A_long width; ///< frame setup: the output size (preset to the input size)
    A_long height;
    PF_Point origin; ///< frame setup: where the input lies in the output
    PF_OutFlags out_flags;
    A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1]; ///< shown with PF_OutFlag_DISPLAY_ERROR_MESSAGE
};

/// Packs a version as the host shows it: major x 2^19 + minor x 2^15 + bug x 2^11 + stage x 2^9
/// + build.
#define PF_VERSION(major, minor, bug, stage, build)                                                \
    ((((major)&0x7FFu) << 19) | (((minor)&0xFu) << 15) | (((bug)&0xFu) << 11)                      \
        | (((stage)&0x3u) << 9) | ((build)&0x1FFu))

// ---- The entry point --------------------------------------------------------------------------

/// The one symbol a plug-in exports and the host looks up: command, input record, output record,
/// parameter array (index 0 the input layer), output world, command-specific extra record.
extern "C"
{
    typedef PF_Err (*PF_EntryPointFunc)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
        PF_ParamDef* params[], PF_LayerDef* output, void* extra);

    DllExport PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
        PF_ParamDef* params[], PF_LayerDef* output, void* extra);
}

#define PF_ENTRY_POINT_NAME "EntryPointFunc"
