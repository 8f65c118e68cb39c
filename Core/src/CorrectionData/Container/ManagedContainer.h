// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "CorrectionData/Container/Container.h"
#include "CorrectionData/Container/ManagedContainerDataSource.h"
#include "CorrectionData/Content.h"

namespace CorrectionData
{

/// A container for one clip identity, fixed at construction: the clip's path (correction file
/// searched around it), a clip file name with a chosen correction file, or one frame's JSON
/// metadata. File contents are shared through the data source and only weakly referenced here,
/// so the data source's cache decides how long they live.
///
/// Operations on one container must not overlap, except that concurrent first calls on a JSON
/// container parse it once.
class ManagedContainer : public Container
{
public:
    ManagedContainer(
        const std::string& clipFilePath, std::shared_ptr<ManagedContainerDataSource> dataSource);
    ManagedContainer(const std::string& clipFileName, const std::string& correctionFilePath,
        std::shared_ptr<ManagedContainerDataSource> dataSource);
    explicit ManagedContainer(const std::string& frameMetadataJSONString);

    void headerData(Header& header) override;
    /// The frame with the greatest frame number not above frameNumber.
    void frameData(uint32_t frameNumber, Frame& frame) override;
    /// Counts frames from the first frame's timecode at the header's tcFps.
    void frameData(Timecode::Timecode timecode, Frame& frame) override;

    // The clip identity; exactly the strings of one variant are non-empty.
    const std::string clipFilePath;
    const std::string clipFileName;
    const std::string correctionFilePath;
    const std::string frameMetadataJSONString;

private:
    bool isJsonVariant() const { return !frameMetadataJSONString.empty(); }
    void parseJsonOnce();
    std::shared_ptr<Content> sharedContent();
    /// sharedContent, its failures raised as DataNotAvailableException for the request named by
    /// request (nothing, a frame number or a timecode).
    template <typename... Request>
    std::shared_ptr<Content> sharedContentOrThrow(const Request&... request);

    [[noreturn]] void throwException(const std::string& reason) const;
    [[noreturn]] void throwException(const std::string& reason, uint32_t frameNumber) const;
    [[noreturn]] void throwException(
        const std::string& reason, const Timecode::Timecode& timecode) const;

    std::shared_ptr<ManagedContainerDataSource> dataSource;
    std::weak_ptr<Content> content;
    // Guards the JSON parse; the flag stays unset after a failure so that the next call retries.
    // std::call_once promises the same, but after an exception it hangs under ThreadSanitizer and
    // on some libstdc++ targets.
    std::mutex jsonParseMutex;
    bool jsonParsed = false;
    Header jsonHeader;
    Frame jsonFrame;
};

} // namespace CorrectionData
