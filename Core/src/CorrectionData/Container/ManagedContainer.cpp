// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/Container/ManagedContainer.h"

#include <cassert>
#include <limits>
#include <utility>

#include "CorrectionData/CorrectionDataExceptions.h"
#include "CorrectionData/Parser/JsonParser.h"

namespace
{

struct JsonMetadata
{
    CorrectionData::Header header;
    CorrectionData::Frame frame;
};

JsonMetadata jsonMetadataForString(const std::string& jsonString)
{
    JsonMetadata metadata {};
    CorrectionData::JsonParser::parse(jsonString, metadata.header, metadata.frame);
    return metadata;
}

} // namespace

namespace CorrectionData
{

ManagedContainer::ManagedContainer(
    const std::string& clipFilePath, std::shared_ptr<ManagedContainerDataSource> dataSource)
    : clipFilePath(clipFilePath)
    , dataSource(std::move(dataSource))
{
    assert(this->dataSource);
    assert(clipFilePath.length());
}

ManagedContainer::ManagedContainer(const std::string& clipFileName,
    const std::string& correctionFilePath, std::shared_ptr<ManagedContainerDataSource> dataSource)
    : clipFileName(clipFileName)
    , correctionFilePath(correctionFilePath)
    , dataSource(std::move(dataSource))
{
    assert(this->dataSource);
    assert(clipFileName.length());
    assert(correctionFilePath.length());
}

ManagedContainer::ManagedContainer(const std::string& frameMetadataJSONString)
    : frameMetadataJSONString(frameMetadataJSONString)
{
    assert(frameMetadataJSONString.length());
}

void ManagedContainer::headerData(Header& header)
{
    if (isJsonVariant())
    {
        parseJsonOnce();
        header = jsonHeader;
        return;
    }
    header = sharedContentOrThrow()->header;
}

void ManagedContainer::frameData(uint32_t frameNumber, Frame& frame)
{
    if (isJsonVariant())
    {
        parseJsonOnce();
        frame = jsonFrame;
        return;
    }
    const std::shared_ptr<Content> shared = sharedContentOrThrow(frameNumber);
    // A frame's values apply up to the next frame listed, so files need a line only where the
    // values change; files written per frame of a long take make this a logarithmic search.
    auto next = shared->frames.upper_bound(frameNumber);
    if (next == shared->frames.begin())
    {
        throwException("", frameNumber);
    }
    frame = std::prev(next)->second;
}

void ManagedContainer::frameData(Timecode::Timecode timecode, Frame& frame)
{
    if (isJsonVariant())
    {
        parseJsonOnce();
        frame = jsonFrame;
        return;
    }
    // Held for the whole request, so the look-up by number below finds the same content.
    const std::shared_ptr<Content> shared = sharedContentOrThrow(timecode);
    if (shared->frames.empty())
    {
        throwException("", timecode);
    }
    const Frame& firstFrame = shared->frames.begin()->second;
    uint32_t difference = 0;
    try
    {
        const Timecode::Timecode firstTimecode(firstFrame.timecode.c_str(), shared->header.tcFps);
        difference = timecode - firstTimecode;
    }
    catch (...)
    {
        throwException("", timecode);
    }
    // A timecode far beyond the first frame must not wrap around to an early frame number.
    if (difference > std::numeric_limits<uint32_t>::max() - firstFrame.frameNumber)
    {
        throwException("", timecode);
    }
    frameData(firstFrame.frameNumber + difference, frame);
}

void ManagedContainer::parseJsonOnce()
{
    const std::lock_guard<std::mutex> lock(jsonParseMutex);
    if (jsonParsed)
    {
        return;
    }
    JsonMetadata metadata;
    try
    {
        metadata = jsonMetadataForString(frameMetadataJSONString);
    }
    catch (...)
    {
        throw DataNotAvailableException(frameMetadataJSONString);
    }
    jsonHeader = std::move(metadata.header);
    jsonFrame = std::move(metadata.frame);
    jsonParsed = true;
}

std::shared_ptr<Content> ManagedContainer::sharedContent()
{
    std::shared_ptr<Content> shared = content.lock();
    if (shared)
    {
        return shared;
    }
    if (!clipFilePath.empty())
    {
        dataSource->shareContent(clipFilePath, shared);
    }
    else
    {
        dataSource->shareContent(clipFileName, correctionFilePath, shared);
    }
    content = shared;
    return shared;
}

template <typename... Request>
std::shared_ptr<Content> ManagedContainer::sharedContentOrThrow(const Request&... request)
{
    try
    {
        return sharedContent();
    }
    catch (const Exception& exception)
    {
        throwException(exception.what(), request...);
    }
}

void ManagedContainer::throwException(const std::string& reason) const
{
    if (!clipFilePath.empty())
    {
        throw DataNotAvailableException(clipFilePath, reason);
    }
    throw DataNotAvailableException(clipFileName, correctionFilePath, reason);
}

void ManagedContainer::throwException(const std::string& reason, uint32_t frameNumber) const
{
    if (!clipFilePath.empty())
    {
        throw DataNotAvailableException(clipFilePath, frameNumber, reason);
    }
    throw DataNotAvailableException(clipFileName, correctionFilePath, frameNumber, reason);
}

void ManagedContainer::throwException(
    const std::string& reason, const Timecode::Timecode& timecode) const
{
    if (!clipFilePath.empty())
    {
        throw DataNotAvailableException(clipFilePath, timecode, reason);
    }
    throw DataNotAvailableException(clipFileName, correctionFilePath, timecode, reason);
}

} // namespace CorrectionData
