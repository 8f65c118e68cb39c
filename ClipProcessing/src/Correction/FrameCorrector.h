// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "Common/FrameGeometry.h"
#include "Core/Core.h"
#include "Correction/LensDataKey.h"
#include "Correction/LensDataSource.h"
#include "Image/FramePool.h"
#include "Image/RgbaImage.h"
#include "Settings/CorrectionModes.h"
#include "Settings/Extraction.h"

namespace LensCorrect
{

/// The corrections to perform and everything the library is told about the clip.
struct LensSettings
{
    std::optional<ShadingMode> shading;
    std::optional<DistortionMode> distortion;
    ClipIdentity identity;
    std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat;
    /// The clip's rate; 0 for unknown (no conversion to the lens data's rate). Only for the
    /// calls that take a plain frame number.
    float framesPerSecond = 0.0f;
    /// Timecode of the clip's frame 0; empty to look frames up by number. As above.
    std::string startTimecode;
    /// The picture without its overscan margin, when the plate has one.
    std::optional<Size> sizeWithoutOverscan;
    /// The picture (without overscan) as a window of the recording; none: the whole recording.
    std::optional<Extraction> extraction;
};

class LensRecordLookup;

/// Drives one Core::Core for the frames of one clip, all of the picture's size, in linear
/// light. Every failure of the library is
/// thrown as a Failure carrying the library's two texts. Not thread-safe: one thread renders.
///
/// A picture that is a window of the recording (an extraction) is corrected as the part of the
/// camera's frame it is: in the smallest buffer centred on the optical centre that covers it,
/// told the millimetres per pixel with which the library corrects the whole recording at the
/// plate's scale, so that the result equals that correction cut to the window. Outside, the
/// picture still lies centred in every frame this class returns.
class FrameCorrector
{
public:
    /// Throws Failure when the start timecode is too long to be one, or the picture without
    /// overscan is larger than the picture or cannot be measured against.
    FrameCorrector(const LensSettings& settings, Size picture);
    ~FrameCorrector();
    FrameCorrector(const FrameCorrector&) = delete;
    FrameCorrector& operator=(const FrameCorrector&) = delete;

    /// Lens data of the frames that follow, as the library's frame JSON, in place of the clip's
    /// correction file; empty returns to the correction file. `origin` names where it came from
    /// (an OpenTrackIO sample) in every failure while it is set. Throws Failure when the text is
    /// longer than the library takes.
    void setFrameMetadata(std::string json, std::string origin = std::string());

    /// Reads and checks the clip's lens data once (correction file found, readable, belonging to
    /// the clip) and the plate against the recording format it implies, or the manual one: an
    /// extraction must lie inside the recording at a scale that gives the picture's size, and a
    /// plate without one must be the recording at another size (throws Failure naming the sizes
    /// and --extraction). Returns where the plate lies in the camera's frame for the report;
    /// empty without an extraction.
    std::string checkLensData();

    /// The buffer a frame is rendered in: the picture's size for shading, the library's
    /// enlarged size (never smaller than the picture) for distortion. With both corrections the
    /// distortion decides, since shading keeps the size. An extraction's grows by the same on
    /// opposite sides, as far as the distortion of the buffer it is corrected in needs.
    Size renderSize(const LensDataKey& frame);
    Size renderSize(uint32_t clipFrame) { return renderSize(key(clipFrame)); }

    /// One frame corrected: `picture` (picture-sized) centred in a zeroed buffer of
    /// `renderSize`, which the library corrects. With both corrections the shading is that of
    /// the recorded picture: removed at the picture's size before the distortion is removed,
    /// added after the distortion is added.
    RgbaImage correct(const LensDataKey& frame, Size renderSize, const RgbaImage& picture);
    RgbaImage correct(uint32_t clipFrame, Size renderSize, const RgbaImage& picture)
    {
        return correct(key(clipFrame), renderSize, picture);
    }
    /// The same for picture-sized RGBA pixels that the caller keeps: read in place when the
    /// frame keeps its size.
    RgbaImage correct(const LensDataKey& frame, Size renderSize, const float* picture);
    RgbaImage correct(uint32_t clipFrame, Size renderSize, const float* picture)
    {
        return correct(key(clipFrame), renderSize, picture);
    }

    /// The same, with `plate`'s memory for the result where the frame keeps its size (the
    /// library takes a frame in whole before it writes any of it out), and any other buffer it
    /// needs from `pool` when given, where `plate`'s goes back once used.
    RgbaImage correct(
        const LensDataKey& frame, Size renderSize, RgbaImage&& plate, FramePool* pool = nullptr);

    /// An ST-map of `renderSize`: for every output pixel the normalised position in the plate
    /// that the distortion correction takes it from, s = (x + 0.5) / width and
    /// t = 1 - (y + 0.5) / height (x, y counted from the plate's top left), in red and green; in
    /// alpha, the share of the sample that lies inside the plate (1 inside, 0 outside).
    RgbaImage stMap(const LensDataKey& frame, Size renderSize);
    RgbaImage stMap(uint32_t clipFrame, Size renderSize)
    {
        return stMap(key(clipFrame), renderSize);
    }

    /// The multiplier that the shading correction applies to each picture pixel, in all three
    /// colour channels, alpha 1.
    RgbaImage gainMap(const LensDataKey& frame);
    RgbaImage gainMap(uint32_t clipFrame) { return gainMap(key(clipFrame)); }

    /// Frame `clipFrame` of the clip at the settings' rate and start timecode.
    LensDataKey key(uint32_t clipFrame) const
    {
        return { clipFrame, settings.framesPerSecond, settings.startTimecode };
    }

private:
    /// The one correction of a library call over a window's buffer, as the call over the whole
    /// recording at the plate's scale that it stands for makes it. `shading` is also the scale at
    /// which the distortion's size is asked for.
    enum class Pass
    {
        shading,
        shadingAfterDistortion,
        undistortion,
        distortion,
    };

    /// `format`: for an extraction, the recording format the library is told for this call.
    void prepare(const LensDataKey& frame, Size bufferSize, bool shading, bool shadingMap,
        bool distortion,
        const std::optional<RecordingFormatDatabase::RecordingFormat>& format = std::nullopt);
    Core::FrameData frameData(const LensDataKey& frame, Size bufferSize) const;
    /// The recording format the library takes for the frame: the manual one, else the lens
    /// data's.
    RecordingFormatDatabase::RecordingFormat recordingFormat(const LensDataKey& frame);
    /// The extraction against the frame's recording format, which goes to `format` (worked out
    /// again when that changes).
    const CameraWindow& cameraWindow(
        const LensDataKey& frame, RecordingFormatDatabase::RecordingFormat& format);
    /// The format that makes a call of `pass` over `buffer` render at the millimetres per pixel
    /// of the same call over the whole recording at the plate's scale.
    RecordingFormatDatabase::RecordingFormat windowFormat(
        const LensDataKey& frame, Size buffer, Pass pass);
    /// The whole recording at the plate's scale in the buffer the distortion renders it in,
    /// as a plate of its own would be.
    Size fullFrameRenderSize(const LensDataKey& frame);
    /// The buffer a distortion pass of a frame with `margin` around the picture renders in. It
    /// is centred where the whole recording's distortion has its centre: the optical centre,
    /// or half a pixel beyond it where that buffer grows by an odd number of pixels and holds
    /// the recording half a pixel off its middle.
    BufferPlace distortionBuffer(const LensDataKey& frame, Size margin);
    /// The margin around the picture in a frame of `renderSize`; throws Failure for a size that
    /// renderSize does not give.
    Size windowMargin(Size renderSize) const;
    /// One library call with the window's format over `input` (of `buffer`'s size).
    RgbaImage renderWindow(const LensDataKey& frame, Size buffer, const float* input, Pass pass,
        RgbaImage* output = nullptr);
    RgbaImage correctWindow(const LensDataKey& frame, Size renderSize, const float* picture);
    void check(bool succeeded) const;
    /// One library call over a buffer of `bufferSize` with the corrections named; into
    /// `output` when it has that size, else into a new image.
    RgbaImage render(const LensDataKey& frame, Size bufferSize, const float* input, bool shading,
        bool distortion, RgbaImage* output = nullptr);

    const LensSettings settings;
    const Size picture;
    const float overscan;
    const std::shared_ptr<FrameRequest> request;
    std::string metadataOrigin;
    Core::Core core;
    std::optional<CameraWindow> window;
    std::unique_ptr<LensRecordLookup> records;
};

} // namespace LensCorrect
