// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

#include "Correction/CommandLineDataSource.h"
#include "Correction/FrameCorrector.h"
#include "Image/FrameGeometry.h"
#include "Run/Options.h"

namespace LensCorrect
{

/// The recording format typed as options, completed as the plug-ins' recording format controls
/// complete it: a missing side of the image area follows the resolution's aspect ratio, and the
/// image diameter (unless given) is the area's diagonal. None when no such option is set; throws
/// Failure when the options give only part of one.
std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat(
    const Options& options);

/// The overscan, in percent, of a plate of size `plate` whose picture without overscan is
/// `sizeWithoutOverscan` (0 without one, or when a side is 0). Throws Failure, naming the option,
/// for a picture of a single pixel.
float overscanPercent(Size plate, const std::optional<Size>& sizeWithoutOverscan);

/// Refuses a clip name that could be read as a path: one holding a path separator, "..", or a
/// control character. `source` says where the name came from (an option, or an attribute of a
/// file), for the message. Such a name is never joined onto a path.
void checkClipName(const std::string& name, const std::string& source);

/// Where the library finds the lens data: the named correction file, and the clip file whose
/// name it must carry (--clip or the input, renamed by --clip-name).
ClipIdentity clipIdentity(const Options& options);

/// The corrections and everything the library is told about the clip, from the options:
/// clipIdentity, manualRecordingFormat and the frame mapping. Throws as those do.
LensSettings lensSettings(const Options& options);

} // namespace LensCorrect
