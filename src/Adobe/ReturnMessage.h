// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <string>

#include "Adobe/HostInterface.h"

/// Writes `text` into `outData->return_msg` and asks the host to show it. The text is cut to
/// PF_MAX_EFFECT_MSG_LEN bytes at a UTF-8 character boundary and handed to the host's sprintf as
/// the argument of "%s", never as the format: that sprintf is unbounded. Without the host's
/// string callbacks the bytes are copied directly. Does nothing when `outData` is null.
void writeReturnMessage(const PF_InData* inData, PF_OutData* outData, const std::string& text);

/// The longest prefix of `text` of at most `maximumBytes` bytes that does not split a UTF-8
/// sequence.
std::string truncatedAtCharacterBoundary(const std::string& text, std::size_t maximumBytes);
