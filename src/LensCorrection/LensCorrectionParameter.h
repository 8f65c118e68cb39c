// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "AePlugin/AeInterface.h"

/// The effect's controls for one command: registers them at parameter setup and reads and writes
/// their values in the host's parameter array of the current call. The chosen correction file
/// is no control; it lives in the instance's sequence data and is read and written here too.
class LensCorrectionParameter
{
public:
    /// Indices, equal to the identifiers the host stores in projects: never change them.
    enum Index : PF_ParamIndex
    {
        correctionModeIndex = 1,
        overscanGroupIndex = 2,
        widthWithoutOverscanIndex = 3,
        heightWithoutOverscanIndex = 4,
        overscanGroupEndIndex = 5,
        correctionFileGroupIndex = 6,
        filePathIndex = 7,
        filePathStatusIndex = 8,
        correctionFileGroupEndIndex = 9,
        recordingFormatGroupIndex = 10,
        updateRecordingFormatIndex = 11,
        manualSelectionIndex = 12,
        imageAreaSizeGroupIndex = 13,
        imageAreaWidthIndex = 14,
        imageAreaHeightIndex = 15,
        imageAreaSizeGroupEndIndex = 16,
        clipResolutionGroupIndex = 17,
        clipResolutionWidthIndex = 18,
        clipResolutionHeightIndex = 19,
        clipResolutionGroupEndIndex = 20,
        imageDiameterIndex = 21,
        recordingFormatGroupEndIndex = 22,
        /// Reported to the host: the input layer and the 22 controls.
        parameterCount = 23
    };

    explicit LensCorrectionParameter(std::shared_ptr<AeInterface> ae);

    /// Registers the controls; `correctionModeChoices` are the popup's choices separated by "|".
    /// Returns the host's error code of the first registration that failed, else PF_Err_NONE.
    PF_Err setup(const char* correctionModeChoices);

    /// 0 for the first choice of "Correction Mode", 1 for the second.
    int correctionMode() const;

    uint32_t resolutionWidthWithoutOverscan() const;
    uint32_t resolutionHeightWithoutOverscan() const;
    void setResolutionWidthWithoutOverscan(uint32_t width);
    void setResolutionHeightWithoutOverscan(uint32_t height);

    float imageAreaSizeWidth() const;
    float imageAreaSizeHeight() const;
    void setImageAreaSizeWidth(float width);
    void setImageAreaSizeHeight(float height);

    uint32_t clipResolutionWidth() const;
    uint32_t clipResolutionHeight() const;
    void setClipResolutionWidth(uint32_t width);
    void setClipResolutionHeight(uint32_t height);

    float imageDiameter() const;
    void setImageDiameter(float diameter);

    bool manualRecordingFormatSelection() const;
    /// "File Path Status" as stored: 0 without a file, else 1 or 2.
    double filePathStatus() const;

    /// Enables the recording format controls for typing; "Image Diameter [mm]" stays disabled,
    /// since it is computed.
    void enableControlsOfRecordingFormat() const;
    void disableControlsOfRecordingFormat() const;

    /// The chosen correction file; false (and `path` unchanged) when none is chosen.
    bool correctionFilePath(std::string& path) const;
    /// Chooses a correction file (the empty text clears the choice) and flips "File Path
    /// Status". A path of 4096 bytes or more is refused with an error pair.
    void setCorrectionFilePath(const std::string& path);

private:
    PF_ParamDef& parameter(PF_ParamIndex index) const;
    double value(PF_ParamIndex index) const;
    void setValue(PF_ParamIndex index, double value);
    void setControlsDisabled(bool disabled, const PF_ParamIndex* indices, size_t count) const;

    std::shared_ptr<AeInterface> ae;
};
