// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Input: the bytes of a correction file.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"

namespace
{

void check(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

// A content that no successful parse can produce, to see whether a failed parse wrote anything.
CorrectionData::Content sentinelContent()
{
    CorrectionData::Content content;
    content.header.videoFileName = "sentinel";
    content.header.tcFps = -1.0f;
    content.frames[7].timecode = "sentinel";
    return content;
}

bool isSentinel(const CorrectionData::Content& content)
{
    return content.header.videoFileName == "sentinel" && content.header.tcFps == -1.0f
        && content.frames.size() == 1 && content.frames.count(7) == 1
        && content.frames.at(7).timecode == "sentinel";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CorrectionFile::Parser parser;

    CorrectionData::Content content = sentinelContent();
    try
    {
        parser.parse(text, content);
        check(!content.header.videoFileName.empty());
        check(content.header.tcFps > 0.0f);
        for (const auto& [number, frame] : content.frames)
        {
            check(number == frame.frameNumber);
            check(number <= 2147483647u);
            for (float value : frame.shading)
            {
                check(value >= 0.0f && value <= 100.0f);
            }
            for (float value : frame.radialDistortion)
            {
                check(std::fabs(value) <= 100.0f);
            }
            check(frame.timecode.find('.') == std::string::npos);
            check(frame.timecode.find('\r') == std::string::npos);
        }
    }
    catch (const CorrectionFile::InvalidFormatException&)
    {
        check(isSentinel(content));
    }
    return 0;
}
