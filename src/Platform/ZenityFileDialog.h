// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include "Platform/FileDialog.h"

namespace Platform
{

/// The desktop's file dialog through the zenity program found on PATH: exit status 0 with one
/// line on standard output is the chosen path, anything else is a cancel.
class ZenityFileDialog : public FileDialog
{
public:
    std::optional<std::string> chooseFile(
        const std::string& message, const std::string& extension) const override;
};

} // namespace Platform
