// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>
#include <vector>

#include <OpenImageIO/imageio.h>

#include "Common/FrameGeometry.h"
#include "Image/ChannelLayout.h"
#include "Image/ColorConversion.h"
#include "Output/Provenance.h"

namespace LensCorrect
{

/// Writes the tool's image files. A file is written under a hidden temporary name beside its
/// destination and renamed into place once complete and on disk (DurableFile), so that an
/// interrupted or failed run, or a crashed host, never leaves a half-written file under a frame's
/// name.
namespace FrameWriter
{

    /// The format OpenImageIO writes for a path's extension ("openexr", "tiff", ...). Throws
    /// Failure when it writes none.
    std::string formatForPath(const std::string& path);

    /// The header of a corrected frame: the plate's channels, data type (or `dataType` when
    /// set), metadata and compression, with `dataWindow` as its pixels. EXR keeps the plate's
    /// display window (so an enlarged frame becomes overscan); other formats start at 0, 0.
    OIIO::ImageSpec frameSpec(const OIIO::ImageSpec& plate, const std::string& plateFormat,
        const Window& dataWindow, const std::string& path, OIIO::TypeDesc dataType);

    /// The header of an exported map: RGBA in float where the format has float, else 16 bits;
    /// windows as for frames; the plate's timecode and rate, and the map's provenance.
    OIIO::ImageSpec mapSpec(const OIIO::ImageSpec& plate, const Window& dataWindow,
        const std::string& path, const Provenance& provenance);

    /// One image of a file: interleaved float pixels, as many channels as its description names,
    /// covering its data window, `pixelStride` bytes from one pixel to the next (default: the
    /// channels' size).
    struct ImagePart
    {
        OIIO::ImageSpec spec;
        const float* pixels = nullptr;
        OIIO::stride_t pixelStride = OIIO::AutoStride;
    };

    /// Writes images as one file: a single image, or the parts of a multi-part file. Throws
    /// Failure; nothing is left under `path` or a temporary name then.
    void write(const std::string& path, const std::vector<ImagePart>& parts);
    inline void write(const std::string& path, const OIIO::ImageSpec& spec, const float* pixels,
        OIIO::stride_t pixelStride = OIIO::AutoStride)
    {
        write(path, std::vector<ImagePart> { { spec, pixels, pixelStride } });
    }

    /// Whether the format of a path's extension holds several parts (subimages) in one file.
    bool holdsParts(const std::string& path);

    /// One part of a corrected frame.
    struct FramePart
    {
        OIIO::ImageSpec plate; ///< The part's header in the plate frame.
        Window window; ///< What the groups cover, in the file's coordinates.
        std::vector<RgbaImage> groups; ///< In linear light.
        const ColorConversion* colour = nullptr; ///< The part's encoding.
        const ChannelLayout* layout = nullptr; ///< How the groups make the part's channels.
    };

    /// Writes a corrected frame, every part with frameSpec's header and the frame's provenance,
    /// as a multi-part file when it has several: float files in linear light, integer files in
    /// the plate's encoding (the groups are converted in place). Throws Failure.
    void writeFrame(const std::string& path, std::vector<FramePart>& parts,
        const std::string& plateFormat, OIIO::TypeDesc dataType, const Provenance& provenance);

} // namespace FrameWriter

} // namespace LensCorrect
