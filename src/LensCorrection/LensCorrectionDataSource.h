// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>

#include "AePlugin/AeInterface.h"
#include "Core/CoreDataSource.h"

/// The effect's answers to the library's questions, computed anew from the host call in
/// progress: its parameters, the instance's sequence data and the host's clip. Which correction
/// to perform is the variant's answer.
///
/// Called only by the library, on the thread of the current host call, under its entry lock.
class LensCorrectionDataSource : public Core::CoreDataSource
{
public:
    /// The record of the current call; set by the effect before the library gets the object.
    void setAeInterface(std::shared_ptr<AeInterface> ae);

    bool frameMetadata(char* buffer, size_t capacity) const override;
    bool correctionFilePath(char* buffer, size_t capacity) const override;
    bool clipFileName(char* buffer, size_t capacity) const override;
    bool clipFilePath(char* buffer, size_t capacity) const override;
    /// Valid during frame setup and render only.
    bool frameData(Core::FrameData& frameData) const override;
    bool recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat) const override;

    bool correctionFilePath(std::string& path) const;
    bool clipFileName(std::string& name) const;
    bool clipFilePath(std::string& path) const;

protected:
    std::shared_ptr<AeInterface> ae;
};
