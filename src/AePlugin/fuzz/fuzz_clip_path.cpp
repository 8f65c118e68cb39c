// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause

// AeClip's conversion of the host's UTF-16 footage path: the input's bytes are little-endian
// 16-bit units, any sequence, zero-terminated at the first zero unit as a host's path would be.
// Invariants: the conversion returns; it succeeds exactly when no surrogate is unpaired, and then
// gives the UTF-8 of a plain decoder written here.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "AePlugin/AeClipDetail.h"

namespace
{

void appendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80)
    {
        out += char(c);
    }
    else if (c < 0x800)
    {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    else
    {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

/// False for an unpaired surrogate.
bool referenceUtf8(const std::vector<char16_t>& units, std::string& out)
{
    for (std::size_t i = 0; units[i] != 0; ++i)
    {
        const uint32_t unit = units[i];
        if (unit >= 0xD800 && unit < 0xDC00)
        {
            const uint32_t next = units[i + 1];
            if (next < 0xDC00 || next >= 0xE000)
            {
                return false;
            }
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++i;
        }
        else if (unit >= 0xDC00 && unit < 0xE000)
        {
            return false;
        }
        else
        {
            appendUtf8(out, unit);
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<char16_t> units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
    {
        units.push_back(char16_t(data[i] | (data[i + 1] << 8)));
    }
    units.push_back(0);

    std::string converted = "unchanged";
    const bool ok = AeClipDetail::utf8FromZeroTerminatedUtf16(units.data(), converted);
    std::string expected;
    const bool expectedOk = referenceUtf8(units, expected);
    if (ok != expectedOk || (ok && converted != expected) || (!ok && converted != "unchanged"))
    {
        std::abort();
    }
    return 0;
}
