// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "Common/FrameGeometry.h"

namespace LensCorrect
{

/// The plate's picture as a window of the camera's recorded frame, in the recording's pixels:
/// a centred or off-centre extraction, a pull with padding, a reformat.
struct Extraction
{
    Size size;
    /// The window's top left corner in the recording; none: centred.
    std::optional<std::pair<uint32_t, uint32_t>> position;
    /// Plate pixels per recording pixel; none: the plate's width over the window's.
    std::optional<double> scale;
};

/// "WxH", "WxH+X+Y", either optionally followed by "@SCALE" (1920x804, 3000x1250+240+400,
/// 4448x2502@0.8633). Throws std::invalid_argument saying what is wrong.
Extraction parseExtraction(const std::string& text);

/// The form parseExtraction reads.
std::string extractionText(const Extraction& extraction);

/// A buffer around the picture and the picture's top left corner in it.
struct BufferPlace
{
    Size size;
    Size offset;
};

/// Where the plate's picture lies in the camera's frame, against a recording format of
/// `recording` pixels. The optical centre is the recording's centre, wherever that falls in the
/// plate. The library puts it in the middle of the buffer it is given, so the plate is corrected
/// in the smallest buffer centred on it that covers the picture: the picture itself when the
/// window is centred.
struct CameraWindow
{
    Extraction extraction;
    Size recording;
    /// The plate's picture without overscan: the window at `scale`.
    Size plate;
    /// The picture the plate's pixels fill, its overscan margin (if any) even around `plate`.
    Size picture;
    double scale = 1.0;
    /// The window's top left corner in the recording (a half pixel where centring takes one).
    double x = 0.0;
    double y = 0.0;
    /// The whole recording at the plate's scale (rounded to pixels): the full frame whose
    /// correction the plate's is a cut of.
    Size fullFrame;
    /// The optical centre in the picture, in half pixels from its top left corner (the corner of
    /// the first pixel, not its centre).
    int64_t centreX2 = 0;
    int64_t centreY2 = 0;
    /// How far, in plate pixels, the centre moved to the nearest half pixel, which a buffer of
    /// whole pixels can centre.
    double centreShiftX = 0.0;
    double centreShiftY = 0.0;
    /// Centred on the optical centre, covering the picture.
    Size buffer;
    /// The picture's top left corner in `buffer`.
    Size offset;

    bool centred() const { return buffer == picture; }
    /// The smallest buffer centred on the optical centre moved by `shiftX2`, `shiftY2` half
    /// pixels that covers the picture grown by `margin` on every side. Throws Failure when it
    /// would be larger than the tool handles.
    BufferPlace bufferAround(int64_t shiftX2, int64_t shiftY2, Size margin) const;
    /// One line for the run's report.
    std::string description() const;
};

/// The plate's place for an extraction; `withoutOverscan`: the picture without its overscan
/// margin, when it has one. Throws Failure, naming the sizes and the option, when the window
/// does not lie inside the recording, or the scale (given or from the plate's width) does not
/// give the plate's size.
CameraWindow cameraWindow(const Extraction& extraction, Size picture,
    const std::optional<Size>& withoutOverscan, Size recording);

/// Refuses a plate without an extraction that is neither the recording format at another size
/// (the library's rule: the height within a pixel of the width over the recording's aspect
/// ratio) nor said to be a window of it, naming both sizes and suggesting --extraction.
void checkPlateFitsRecording(Size plate, Size recording);

} // namespace LensCorrect
