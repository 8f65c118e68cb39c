// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "CorrectionData/Container/ManagedContainer.h"
#include "RecordingFormatDatabase/RecordingFormat.h"

namespace Core
{

/// The pipeline's container: a managed container that also derives the clip's recording format
/// from its header.
class ExtendedManagedContainer : public CorrectionData::ManagedContainer
{
public:
    using CorrectionData::ManagedContainer::ManagedContainer;

    /// The recording format the header implies: from clip width, clip height and sensor width
    /// when all three are given, else the one database format of the header's camera that shares
    /// the resolution or the image area width, else what the header gives (possibly invalid).
    /// The header is read on every call (passing its failures on); the format is derived once.
    RecordingFormatDatabase::RecordingFormat recordingFormat();

private:
    std::once_flag onceFlag;
    RecordingFormatDatabase::RecordingFormat cachedRecordingFormat;
};

} // namespace Core
