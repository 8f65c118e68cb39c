// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensData.h"

#include <utility>

#include "CorrectionData/Container/ManagedContainerDataSource.h"
#include "CorrectionData/ContainerManager/CorrectionFileBasedContainerManagerDataSource.h"
#include "Timecode/Timecode.h"

namespace PythonBindings
{

namespace
{

    /// Hands the container the content already read: the file was opened by path, so there is
    /// no clip to check it against and nothing to find.
    class ReadContentDataSource : public CorrectionData::ManagedContainerDataSource
    {
    public:
        explicit ReadContentDataSource(std::shared_ptr<CorrectionData::Content> content)
            : content(std::move(content))
        {
        }

        void shareContent(
            const std::string&, std::shared_ptr<CorrectionData::Content>& shared) override
        {
            shared = content;
        }
        void shareContent(const std::string&, const std::string&,
            std::shared_ptr<CorrectionData::Content>& shared) override
        {
            shared = content;
        }

    private:
        const std::shared_ptr<CorrectionData::Content> content;
    };

} // namespace

std::shared_ptr<CorrectionData::Content> LensData::read(const std::string& path)
{
    auto content = std::make_shared<CorrectionData::Content>();
    // The library's reading and parsing of a chosen correction file; no search, so no depth.
    CorrectionData::CorrectionFileBasedContainerManagerDataSource(CorrectionFile::LevelOfDepth {})
        .content(path, *content);
    return content;
}

LensData::LensData(const std::string& path)
    : path(path)
    , content(read(path))
    // The correction file variant: the library's texts then name the file and its clip.
    , container(
          content->header.videoFileName, path, std::make_shared<ReadContentDataSource>(content))
{
}

std::vector<uint32_t> LensData::frameNumbers() const
{
    std::vector<uint32_t> numbers;
    numbers.reserve(content->frames.size());
    for (const auto& numberAndFrame : content->frames)
    {
        numbers.push_back(numberAndFrame.first);
    }
    return numbers;
}

CorrectionData::Frame LensData::frame(uint32_t number)
{
    CorrectionData::Frame frame;
    container.frameData(number, frame);
    return frame;
}

CorrectionData::Frame LensData::frame(const std::string& timecode, float framesPerSecond)
{
    CorrectionData::Frame frame;
    container.frameData(Timecode::Timecode(timecode.c_str(), framesPerSecond), frame);
    return frame;
}

} // namespace PythonBindings
