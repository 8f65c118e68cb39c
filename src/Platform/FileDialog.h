// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace Platform
{

/// No dialog could be shown at all (as opposed to the user cancelling one).
class FileDialogUnavailable : public std::runtime_error
{
public:
    /// `details`: labelled lines saying what was tried and what to install.
    explicit FileDialogUnavailable(const std::string& details);

    const std::string& details() const { return detailLines; }

private:
    std::string detailLines;
};

/// A modal dialog in which the user chooses one existing file.
class FileDialog
{
public:
    virtual ~FileDialog() = default;

    /// Shows the dialog with `message` and waits for it to close. The chosen path, or nothing
    /// when the user cancelled. Throws FileDialogUnavailable when no dialog can be shown.
    virtual std::optional<std::string> chooseFile(
        const std::string& message, const std::string& extension) const = 0;
};

/// The dialog of this platform.
std::unique_ptr<FileDialog> makeFileDialog();

} // namespace Platform
