// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Core/FrameData.h"
#include "LensCorrection/LensCorrectionParameter.h"
#include "RecordingFormatDatabase/RecordingFormat.h"
#include "Support/TestCorrectionFile.h"
#include "host/SimulatedHost.h"

/// Helpers for tests that load the real plug-ins into the simulated host.
namespace PluginTest
{

/// The effect's controls, addressed by the effect's own indices.
using Control = LensCorrectionParameter;

extern const std::string shadingPlugin;
extern const std::string distortionPlugin;

/// Small frames in the 16:9 format of the correction files keep the kernels fast on a CPU.
constexpr A_long frameWidth = 192;
constexpr A_long frameHeight = 108;

/// The host's default clip.
const std::string clipFileName = "A001C003.mov";

/// Lens data of a real lens: shading falling to 55 % at the corner, barrel distortion.
TestSupport::TestCorrectionFile::Frame lensFrame(uint32_t frameNumber, float shadingScale = 1.0f);
/// A correction file for the host's default clip, with frames 0 and 48 that differ.
TestSupport::TestCorrectionFile correctionFile();

/// Smooth colours, every channel different, alpha not always opaque.
Host::PixelWorld syntheticLayer(A_long width, A_long height, bool deep);

/// A host of `application` with `plugin` loaded, the effect applied and a synthetic input layer.
std::unique_ptr<Host::SimulatedHost> hostWithEffect(const std::string& plugin,
    A_long application = PF_APPL_ID_AFTER_EFFECTS, bool deep = false, A_long width = frameWidth,
    A_long height = frameHeight);

/// Presses "Browse" in a dialog that chooses `path`.
PF_Err chooseCorrectionFile(Host::SimulatedHost& host, const std::string& path);

/// What the library is asked for one frame, as the plug-in should ask it.
struct LibraryRequest
{
    bool shading = true; ///< else distortion
    bool reverse = false;
    std::optional<std::string> correctionFilePath;
    std::optional<std::string> clipFileName;
    std::optional<std::string> clipFilePath;
    uint32_t frameNumber = 0;
    float framesPerSecond = 24.0f;
    float overscan = 0.0f;
    std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat;
};

/// Pixels as alpha, red, green, blue.
using Pixels = std::vector<std::array<A_u_short, 4>>;

struct LibraryResult
{
    uint32_t width = 0;
    uint32_t height = 0;
    Pixels pixels;
};

/// The layer's pixels as the library takes them (red, green, blue, alpha over the channel
/// maximum), centred in zeros of `width` x `height` pixels.
std::vector<float> floatPixels(const Host::PixelWorld& layer, uint32_t width, uint32_t height);
/// `count` float RGBA pixels as a host world of `channelMaximum` holds them: clamped, scaled,
/// truncated.
Pixels hostPixels(const float* rgba, size_t count, A_u_short channelMaximum);

/// The library's own float result for `input`, computed here with a Core::Core of the test's
/// own: the input centred in a float buffer of the library's frame size, the result converted
/// to the input's depth (clamped, scaled, truncated).
LibraryResult libraryResult(const Host::PixelWorld& input, const LibraryRequest& request);

/// Every pixel of `output` within one channel step of `expected`.
void expectPixelsMatch(const Host::PixelWorld& output, const LibraryResult& expected);

/// Where the plug-in gets its correction file from.
enum class FileSource
{
    afterEffectsDialog, ///< chosen in After Effects, which also knows the clip's path
    afterEffectsClipFolder, ///< none chosen: found next to the clip
    premiereProDialog, ///< chosen in Premiere Pro, which knows only the clip's name
};

struct PixelCase
{
    const char* name;
    bool deep;
    bool reverse; ///< the second choice of "Correction Mode"
    FileSource source;
};

/// Renders one frame through `plugin` in the simulated host and compares it with the library's
/// own result for the same frame.
void expectRenderMatchesLibrary(
    const std::string& plugin, bool shading, const PixelCase& pixelCase);

/// What a variant tells the host about itself: the about text (`aboutLine`, then a notice),
/// version 0.9.0, the output flags and the choices of "Correction Mode".
void expectIdentity(
    const std::string& plugin, const std::string& aboutLine, const std::string& choices);

/// Every pixel opaque red.
bool isRed(const Host::PixelWorld& world);

/// The plug-in's log file for After Effects.
std::string afterEffectsLog(const std::string& pluginId);

} // namespace PluginTest
