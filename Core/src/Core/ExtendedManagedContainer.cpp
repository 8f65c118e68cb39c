// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/ExtendedManagedContainer.h"

#include <cassert>
#include <map>

#include "CorrectionData/Header.h"
#include "Exception/Exception.h"
#include "RecordingFormatDatabase/CsvStringBasedRecordingFormatDatabase.h"

namespace Core
{

namespace
{

    using RecordingFormatDatabase::RecordingFormat;

    /// Completes a header that lacks the sensor width or the resolution from the one database
    /// format of its camera that matches what the header does give.
    void completeFromDatabase(
        const CorrectionData::Header& header, RecordingFormat& recordingFormat)
    {
        std::map<std::string, RecordingFormat> formats;
        try
        {
            RecordingFormatDatabase::CsvStringBasedRecordingFormatDatabase::sharedInstance()
                .recordingFormats(header.cameraManufacturer, header.cameraModel, formats);
        }
        catch (const Exception&)
        {
            // An unknown camera leaves the header's partial format, which validation then refuses
            // with the numbers the user can check.
            return;
        }
        const RecordingFormat* candidate = nullptr;
        size_t candidateCount = 0;
        for (const auto& nameAndFormat : formats)
        {
            const RecordingFormat& format = nameAndFormat.second;
            const bool isSameResolution = format.clipResolutionWidth == header.clipWidth
                && format.clipResolutionHeight == header.clipHeight;
            const bool isSameImageAreaWidth = format.imageAreaWidth == header.sensorWidth;
            // Only incomplete headers get here, and every database format is complete.
            assert(!(isSameResolution && isSameImageAreaWidth));
            if (isSameResolution || isSameImageAreaWidth)
            {
                candidate = &format;
                ++candidateCount;
            }
        }
        if (candidateCount == 1)
        {
            recordingFormat = *candidate;
        }
    }

    RecordingFormat recordingFormatForHeader(const CorrectionData::Header& header)
    {
        RecordingFormat recordingFormat;
        recordingFormat.clipResolutionWidth = header.clipWidth;
        recordingFormat.clipResolutionHeight = header.clipHeight;
        recordingFormat.imageAreaWidth = header.sensorWidth;
        recordingFormat.imageAreaHeight = 0.0f;
        recordingFormat.imageAreaRadius = 0.0f;

        if (header.clipWidth != 0 && header.clipHeight != 0 && header.sensorWidth > 0.0f)
        {
            recordingFormat.imageAreaHeight = static_cast<float>(header.clipHeight)
                / static_cast<float>(header.clipWidth) * header.sensorWidth;
            recordingFormat.imageAreaRadius = RecordingFormatDatabase::imageAreaRadius(
                recordingFormat.imageAreaWidth, recordingFormat.imageAreaHeight);
        }
        else if (!header.cameraManufacturer.empty() && !header.cameraModel.empty())
        {
            completeFromDatabase(header, recordingFormat);
        }
        return recordingFormat;
    }

} // namespace

RecordingFormatDatabase::RecordingFormat ExtendedManagedContainer::recordingFormat()
{
    CorrectionData::Header header {};
    headerData(header);
    std::call_once(onceFlag, [&] { cachedRecordingFormat = recordingFormatForHeader(header); });
    return cachedRecordingFormat;
}

} // namespace Core
