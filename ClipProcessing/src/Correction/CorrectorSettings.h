// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <optional>
#include <string>

#include "Common/FrameGeometry.h"
#include "Correction/FrameCorrector.h"
#include "Correction/LensDataSource.h"
#include "Settings/ClipDescription.h"
#include "Settings/CorrectionModes.h"
#include "Settings/LensDataSettings.h"
#include "Settings/RecordingSettings.h"
#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// The recording format typed as options, completed as the plug-ins' recording format controls
/// complete it: a missing side of the image area follows the resolution's aspect ratio, and the
/// image diameter (unless given) is the area's diagonal. None when no such option is set; throws
/// Failure when the options give only part of one.
std::optional<RecordingFormatDatabase::RecordingFormat> manualRecordingFormat(
    const RecordingSettings& recording);

/// The overscan, in percent, of a plate of size `plate` whose picture without overscan is
/// `sizeWithoutOverscan` (0 without one, or when a side is 0). Throws Failure, naming the option,
/// for a picture of a single pixel.
float overscanPercent(Size plate, const std::optional<Size>& sizeWithoutOverscan);

/// Refuses a clip name that could be read as a path: one holding a path separator, "..", or a
/// control character. `source` says where the name came from (an option, or an attribute of a
/// file), for the message. Such a name is never joined onto a path.
void checkClipName(const std::string& name, const std::string& source);

/// Where the library finds the lens data: the named correction file, and the clip file whose
/// name it must carry (--clip or else `input`, renamed by --clip-name).
ClipIdentity clipIdentity(
    const LensDataSettings& lensData, const ClipDescription& clip, const std::string& input);

/// The corrections and everything the library is told about the clip, from the settings:
/// clipIdentity, manualRecordingFormat and the frame mapping. Throws as those do.
LensSettings lensSettings(const Corrections& corrections, const LensDataSettings& lensData,
    const ClipDescription& clip, const RecordingSettings& recording, const std::string& input);

/// clipIdentity of the run's parts, the input standing in for a clip not named.
ClipIdentity clipIdentity(const RunSettings& settings);
/// lensSettings of the run's parts, the input standing in for a clip not named.
LensSettings lensSettings(const RunSettings& settings);

} // namespace LensCorrect
