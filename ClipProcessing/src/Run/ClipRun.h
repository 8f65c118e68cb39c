// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <atomic>
#include <ostream>

#include "Settings/RunSettings.h"

namespace LensCorrect
{

/// Exit statuses of a run.
enum ExitStatus
{
    succeeded = 0,
    failed = 1, ///< A frame or the whole run failed; the texts went to the message stream.
    usageError = 2,
    interrupted = 130,
};

/// Corrects the frames of one clip as the options say: a reader thread decodes frames, the
/// calling thread has the library correct them, a writer thread encodes them, with a short
/// queue between each, so that the three overlap. Progress, failures and the summary go to
/// `messages`. Setting `stop` (from a signal handler) ends the run after the frames in flight.
ExitStatus runClip(const RunSettings& options, std::ostream& messages, bool terminal,
    const std::atomic<bool>& stop);

} // namespace LensCorrect
