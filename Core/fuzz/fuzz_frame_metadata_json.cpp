// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Input: a frame metadata JSON text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CorrectionData/Parser/JsonParser.h"
#include "Exception/Exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CorrectionData::Header header;
    CorrectionData::Frame frame;
    header.clipName = "sentinel";
    frame.timecode = "sentinel";
    try
    {
        CorrectionData::JsonParser::parse(text, header, frame);
        if (!header.clipName.empty() || !frame.timecode.empty() || header.tcFps != 0.0f)
        {
            std::abort();
        }
    }
    catch (const Exception& exception)
    {
        if (header.clipName != "sentinel" || frame.timecode != "sentinel"
            || std::string(exception.what()) != "JSON metadata string has an invalid format.")
        {
            std::abort();
        }
    }
    return 0;
}
