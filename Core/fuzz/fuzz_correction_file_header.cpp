// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Input: the bytes of a correction file; only its header is parsed, as the finder does.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CorrectionData::Header header;
    header.clipName = "sentinel";
    try
    {
        CorrectionFile::Parser().parseHeader(text, header);
        if (header.videoFileName.empty() || !(header.tcFps > 0.0f))
        {
            std::abort();
        }
    }
    catch (const CorrectionFile::InvalidFormatException&)
    {
        if (header.clipName != "sentinel" || !header.videoFileName.empty())
        {
            std::abort();
        }
    }
    return 0;
}
