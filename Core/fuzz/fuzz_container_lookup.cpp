// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Input: a correction file. When it parses, frames are looked up through a managed container by
// frame number and by timecode, at numbers and timecodes derived from the file itself.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionData/CorrectionDataExceptions.h"
#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"
#include "Timecode/TimecodeExceptions.h"

namespace
{

void check(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

// Serves one parsed content from memory, as the container manager does from its cache.
class MemoryDataSource : public CorrectionData::ManagedContainerDataSource
{
public:
    explicit MemoryDataSource(std::shared_ptr<CorrectionData::Content> content)
        : content(std::move(content))
    {
    }
    void shareContent(const std::string&, std::shared_ptr<CorrectionData::Content>& out) override
    {
        out = content;
    }
    void shareContent(const std::string&, const std::string&,
        std::shared_ptr<CorrectionData::Content>& out) override
    {
        out = content;
    }

private:
    std::shared_ptr<CorrectionData::Content> content;
};

// The frame that applies to n: the greatest frame number not above n.
const CorrectionData::Frame* expectedFrame(const CorrectionData::Content& content, uint32_t n)
{
    const CorrectionData::Frame* found = nullptr;
    for (const auto& [number, frame] : content.frames)
    {
        if (number <= n)
        {
            found = &frame;
        }
    }
    return found;
}

void lookUpByNumber(
    CorrectionData::ManagedContainer& container, const CorrectionData::Content& content, uint32_t n)
{
    const CorrectionData::Frame* expected = expectedFrame(content, n);
    CorrectionData::Frame frame;
    try
    {
        container.frameData(n, frame);
        check(expected != nullptr && frame.frameNumber == expected->frameNumber);
    }
    catch (const CorrectionData::DataNotAvailableException&)
    {
        check(expected == nullptr);
    }
}

void lookUpByTimecode(CorrectionData::ManagedContainer& container, const std::string& text,
    float framesPerSecond, uint32_t offset)
{
    try
    {
        const Timecode::Timecode timecode
            = Timecode::Timecode(text.c_str(), framesPerSecond) + offset;
        CorrectionData::Frame frame;
        container.frameData(timecode, frame);
    }
    catch (const Timecode::InvalidTimecodeException&)
    {
    }
    catch (const CorrectionData::DataNotAvailableException&)
    {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto content = std::make_shared<CorrectionData::Content>();
    try
    {
        CorrectionFile::Parser().parse(
            std::string(reinterpret_cast<const char*>(data), size), *content);
    }
    catch (const CorrectionFile::InvalidFormatException&)
    {
        return 0;
    }

    auto dataSource = std::make_shared<MemoryDataSource>(content);
    CorrectionData::ManagedContainer byPath("/clips/A001.mov", dataSource);
    CorrectionData::ManagedContainer byFile("A001.mov", "/clips/A001.tlcf", dataSource);

    CorrectionData::Header header;
    byPath.headerData(header);
    check(header.videoFileName == content->header.videoFileName);

    lookUpByNumber(byPath, *content, 0);
    lookUpByNumber(byPath, *content, 0xffffffffu);
    for (const auto& [number, frame] : content->frames)
    {
        lookUpByNumber(byPath, *content, number);
        lookUpByNumber(byFile, *content, number + 1);
        if (number > 0)
        {
            lookUpByNumber(byFile, *content, number - 1);
        }
        lookUpByTimecode(byPath, frame.timecode, content->header.tcFps, 0);
        lookUpByTimecode(byFile, frame.timecode, content->header.tcFps, number);
        lookUpByTimecode(byFile, frame.timecode, 0.0f, 1);
    }
    return 0;
}
