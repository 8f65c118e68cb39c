// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Writers of one frame that cannot collide: tasks of a render farm on several hosts, or in
// containers where they share a process id, writing the same output at the same time.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include <gtest/gtest.h>

#include "Output/DurableFile.h"
#include "Support/TemporaryDirectory.h"

using namespace LensCorrect;
namespace fs = std::filesystem;

namespace
{

/// The random source of a task whose identity another task shares: the same numbers, in the
/// same order, for every writer made with it.
DurableFile::RandomSource sharedIdentity()
{
    return [next = uint64_t(1)]() mutable { return next++; };
}

std::string contentOf(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void writeByName(const std::string& path, const std::string& content)
{
    // As an image writer does: by name, truncating what is there.
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream << content;
}

std::vector<std::string> temporariesIn(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
    {
        const std::string name = entry.path().filename().string();
        if (name.find(".partial-") != std::string::npos)
        {
            names.push_back(name);
        }
    }
    return names;
}

} // namespace

TEST(DurableFile, TwoWritersWithOneIdentityTakeTwoNamesAndTheLastWholeFileWins)
{
    const TestSupport::TemporaryDirectory directory;
    const std::string frame = directory.path() + "/A001C001.1001.exr";
    const std::string first(300'000, 'a');
    const std::string second(200'000, 'b');

    DurableFile one(frame, "render-07", sharedIdentity());
    DurableFile other(frame, "render-07", sharedIdentity());
    EXPECT_NE(one.temporaryPath(), other.temporaryPath());
    EXPECT_EQ(fs::path(one.temporaryPath())
                  .filename()
                  .string()
                  .rfind(".A001C001.1001.exr.partial-render-07-", 0),
        0u)
        << one.temporaryPath();
    writeByName(one.temporaryPath(), first);
    writeByName(other.temporaryPath(), second);
    one.install();
    EXPECT_EQ(contentOf(frame), first);
    other.install();
    EXPECT_EQ(contentOf(frame), second);
    EXPECT_TRUE(temporariesIn(directory.path()).empty());

    // A writer that never installs leaves the frame as it was, and no temporary file.
    {
        DurableFile abandoned(frame, "render-07", sharedIdentity());
        writeByName(abandoned.temporaryPath(), "half");
    }
    EXPECT_EQ(contentOf(frame), second);
    EXPECT_TRUE(temporariesIn(directory.path()).empty());

    // A name as long as a file system takes still leaves room for the temporary name.
    const std::string longName = directory.path() + "/" + std::string(250, 'n') + ".exr";
    DurableFile longWriter(longName, DurableFile::hostNamePart(), DurableFile::randomPart);
    EXPECT_LE(fs::path(longWriter.temporaryPath()).filename().string().size(), 255u);
    longWriter.install();
    EXPECT_TRUE(fs::is_regular_file(longName));
}

TEST(DurableFile, ConcurrentWritersOfOneFrameAlwaysLeaveAWholeFile)
{
    const TestSupport::TemporaryDirectory directory;
    const std::string frame = directory.path() + "/frame.exr";
    const std::string contents[] = { std::string(400'000, 'x'), std::string(100'000, 'y') };
    std::atomic<bool> failed { false };
    std::vector<std::thread> writers;
    for (const std::string& content : contents)
    {
        writers.emplace_back(
            [&, random = sharedIdentity()]
            {
                for (int round = 0; round < 20; ++round)
                {
                    try
                    {
                        DurableFile file(frame, "same-host", random);
                        writeByName(file.temporaryPath(), content);
                        file.install();
                    }
                    catch (const std::exception&)
                    {
                        failed = true;
                    }
                    const std::string now = contentOf(frame);
                    if (now != contents[0] && now != contents[1])
                    {
                        failed = true;
                    }
                }
            });
    }
    for (std::thread& writer : writers)
    {
        writer.join();
    }
    EXPECT_FALSE(failed);
    EXPECT_TRUE(temporariesIn(directory.path()).empty());
}
