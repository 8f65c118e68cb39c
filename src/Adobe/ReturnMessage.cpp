// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Adobe/ReturnMessage.h"

#include <cstring>

std::string truncatedAtCharacterBoundary(const std::string& text, std::size_t maximumBytes)
{
    if (text.size() <= maximumBytes)
    {
        return text;
    }
    std::size_t length = maximumBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
    {
        --length;
    }
    return text.substr(0, length);
}

void writeReturnMessage(const PF_InData* inData, PF_OutData* outData, const std::string& text)
{
    if (!outData)
    {
        return;
    }
    const std::string message = truncatedAtCharacterBoundary(text, PF_MAX_EFFECT_MSG_LEN);
    if (inData && inData->utils && inData->utils->ansi.sprintf)
    {
        inData->utils->ansi.sprintf(outData->return_msg, "%s", message.c_str());
    }
    else
    {
        std::memcpy(outData->return_msg, message.c_str(), message.size() + 1);
    }
    outData->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
}
