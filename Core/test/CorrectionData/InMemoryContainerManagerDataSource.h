// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "CorrectionData/ContainerManager/ContainerManagerDataSource.h"
#include "CorrectionFile/CorrectionFileExceptions.h"

namespace CorrectionDataTest
{

/// Serves contents from memory and counts how often each correction file is "read".
class InMemoryContainerManagerDataSource : public CorrectionData::ContainerManagerDataSource
{
public:
    /// Shared state, so a test keeps access after handing the source to a manager.
    struct Files
    {
        std::map<std::string, CorrectionData::Content> contentsByPath;
        std::map<std::string, std::string> pathsByClipFilePath;
        std::map<std::string, int> readCounts; ///< The manager serialises reads.
        std::chrono::milliseconds readDelay { 0 }; ///< Widens races in threading tests.
    };

    explicit InMemoryContainerManagerDataSource(Files& files)
        : files(files)
    {
    }

    void content(const std::string& clipFilePath, std::string& correctionFilePath,
        CorrectionData::Content& content) override
    {
        const auto found = files.pathsByClipFilePath.find(clipFilePath);
        if (found == files.pathsByClipFilePath.end())
        {
            throw CorrectionFile::NotFoundException(clipFilePath, {});
        }
        this->content(found->second, content);
        correctionFilePath = found->second;
    }

    void content(const std::string& correctionFilePath, CorrectionData::Content& content) override
    {
        std::this_thread::sleep_for(files.readDelay);
        const auto found = files.contentsByPath.find(correctionFilePath);
        if (found == files.contentsByPath.end())
        {
            throw CorrectionFile::NotReadableException(correctionFilePath);
        }
        ++files.readCounts[correctionFilePath];
        content = found->second;
    }

private:
    Files& files;
};

/// A content whose header names the clip A001.mov / A001, at 25 fps, with the given frames
/// (frame number, timecode; shading[0] is the frame number, to tell frames apart).
inline CorrectionData::Content contentWithFrames(
    std::initializer_list<std::pair<uint32_t, const char*>> frames,
    const std::string& videoFileName = "A001.mov", const std::string& clipName = "A001")
{
    CorrectionData::Content content {};
    content.header.videoFileName = videoFileName;
    content.header.clipName = clipName;
    content.header.tcFps = 25.0f;
    for (const auto& [number, timecode] : frames)
    {
        CorrectionData::Frame frame {};
        frame.frameNumber = number;
        frame.shading[0] = static_cast<float>(number);
        frame.timecode = timecode;
        content.frames[number] = frame;
    }
    return content;
}

} // namespace CorrectionDataTest
