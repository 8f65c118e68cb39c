// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <ostream>
#include <string>

namespace LensCorrect
{

/// Tells how a run advances: on a terminal one line that is redrawn (a bar, frame n of N, frames
/// per second, time left); elsewhere, as in a render farm's log, one plain line per frame.
/// Thread-safe.
class Progress
{
public:
    Progress(std::ostream& stream, size_t frameCount, bool terminal, bool quiet);

    /// A frame was completed (written, or skipped because it exists).
    void frameDone(int number, const std::string& what);
    /// A frame failed; its texts go out through message().
    void frameFailed();
    /// A line of its own, which does not break the bar.
    void message(const std::string& text);
    /// Ends the bar's line.
    void finish();

private:
    std::string status() const;
    void drawBar();

    std::ostream& stream;
    const size_t frameCount;
    const bool terminal;
    const bool quiet;
    const std::chrono::steady_clock::time_point start;
    std::mutex mutex;
    size_t completed = 0;
    size_t failed = 0;
    bool barShown = false;
};

} // namespace LensCorrect
