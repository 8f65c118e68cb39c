// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Input: four bytes of frame rate (a float, any bit pattern), then the timecode text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Timecode/Timecode.h"
#include "Timecode/TimecodeExceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(float))
    {
        return 0;
    }
    float framesPerSecond = 0.0f;
    std::memcpy(&framesPerSecond, data, sizeof(float));
    const std::string text(
        reinterpret_cast<const char*>(data) + sizeof(float), size - sizeof(float));

    try
    {
        const Timecode::Timecode timecode(text.c_str(), framesPerSecond);
        if (timecode.minutes >= 60 || timecode.seconds >= 60)
        {
            std::abort();
        }
        // Printing and parsing again gives the same timecode back.
        const Timecode::Timecode reparsed(timecode.string(false).c_str(), framesPerSecond);
        if (!(reparsed.hours == timecode.hours && reparsed.minutes == timecode.minutes
                && reparsed.seconds == timecode.seconds && reparsed.frames == timecode.frames))
        {
            std::abort();
        }
        (void)timecode.string(true);

        Timecode::Timecode advanced = timecode + static_cast<uint32_t>(size);
        (void)advanced.string(true);
        try
        {
            (void)(advanced - timecode);
        }
        catch (const Timecode::InvalidTimecodeException&)
        {
        }
        try
        {
            (void)(timecode < advanced);
            (void)(timecode == advanced);
        }
        catch (const Timecode::InvalidTimecodeException&)
        {
        }
    }
    catch (const Timecode::InvalidTimecodeException&)
    {
    }
    return 0;
}
