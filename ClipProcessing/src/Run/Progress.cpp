// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/Progress.h"

#include <cmath>
#include <cstdio>

namespace LensCorrect
{

namespace
{

    std::string duration(double seconds)
    {
        const long total = std::lround(seconds);
        char text[32];
        std::snprintf(
            text, sizeof(text), "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
        return text;
    }

} // namespace

Progress::Progress(std::ostream& stream, size_t frameCount, bool terminal, bool quiet)
    : stream(stream)
    , frameCount(frameCount)
    , terminal(terminal)
    , quiet(quiet)
    , start(std::chrono::steady_clock::now())
{
}

std::string Progress::status() const
{
    const size_t finished = completed + failed;
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = seconds > 0.0 ? completed / seconds : 0.0;
    char text[128];
    std::snprintf(text, sizeof(text), "%zu/%zu frames, %.2f fps, %s left", finished, frameCount,
        rate, rate > 0.0 ? duration((frameCount - finished) / rate).c_str() : "?");
    return text;
}

void Progress::drawBar()
{
    constexpr size_t width = 30;
    const size_t filled = frameCount ? (completed + failed) * width / frameCount : width;
    stream << "\r[" << std::string(filled, '#') << std::string(width - filled, '.') << "] "
           << status() << "\x1b[K" << std::flush;
    barShown = true;
}

void Progress::frameDone(int number, const std::string& what)
{
    std::lock_guard<std::mutex> lock(mutex);
    ++completed;
    if (quiet)
    {
        return;
    }
    if (terminal)
    {
        drawBar();
    }
    else
    {
        stream << "lenscorrect: frame " << number << ": " << what << " (" << status() << ")\n"
               << std::flush;
    }
}

void Progress::frameFailed()
{
    std::lock_guard<std::mutex> lock(mutex);
    ++failed;
}

void Progress::message(const std::string& text)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (barShown)
    {
        stream << "\r\x1b[K";
    }
    stream << text << (text.empty() || text.back() != '\n' ? "\n" : "");
    if (barShown)
    {
        drawBar();
    }
    stream << std::flush;
}

void Progress::finish()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (barShown)
    {
        stream << "\n" << std::flush;
        barShown = false;
    }
}

} // namespace LensCorrect
