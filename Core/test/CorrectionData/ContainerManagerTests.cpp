// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "CorrectionData/ContainerManager/ContainerManager.h"
#include "CorrectionData/ContainerManager/ContainerManagerContentCache.h"
#include "CorrectionData/CorrectionDataExceptions.h"
#include "InMemoryContainerManagerDataSource.h"
#include "Support/ThrownDescription.h"

using CorrectionData::ContainerManager;
using CorrectionData::ContainerManagerContentCache;
using CorrectionData::Content;
using CorrectionDataTest::InMemoryContainerManagerDataSource;

namespace
{

bool isCached(const ContainerManagerContentCache& cache, const std::string& correctionFilePath)
{
    std::shared_ptr<Content> content;
    return cache.cachedContentForCorrectionFilePath(correctionFilePath, content);
}

bool isClipCached(const ContainerManagerContentCache& cache, const std::string& clipFilePath)
{
    std::shared_ptr<Content> content;
    return cache.cachedContentForClipFilePath(clipFilePath, content);
}

class ContainerManagerTest : public ::testing::Test
{
protected:
    ContainerManagerTest()
    {
        files.contentsByPath["/c/A001.tlcf"] = CorrectionDataTest::contentWithFrames({ { 0, "" } });
        files.contentsByPath["/c/B001.tlcf"]
            = CorrectionDataTest::contentWithFrames({ { 0, "" } }, "B001.mov", "B001");
        files.pathsByClipFilePath["/c/A001.mov"] = "/c/A001.tlcf";
    }

    std::shared_ptr<ContainerManager> manager(uint32_t capacity = 100)
    {
        return std::make_shared<ContainerManager>(
            std::make_unique<InMemoryContainerManagerDataSource>(files), capacity);
    }

    InMemoryContainerManagerDataSource::Files files;
};

} // namespace

TEST(ContainerManagerContentCache, CapacityTwoEvictsOldestPathWithAllItsClipPaths)
{
    ContainerManagerContentCache cache(2);
    cache.cacheContent("/c/A.mov", "P1", std::make_shared<Content>());
    cache.cacheContent("/d/A.mov", "P1", std::make_shared<Content>()); // queued twice
    cache.cacheContent("/c/B.mov", "P2", std::make_shared<Content>());
    EXPECT_FALSE(isCached(cache, "P1"));
    EXPECT_FALSE(isClipCached(cache, "/c/A.mov"));
    EXPECT_FALSE(isClipCached(cache, "/d/A.mov"));
    EXPECT_TRUE(isClipCached(cache, "/c/B.mov"));

    // The second P1 entry stays queued and takes its turn: P3 pushes it out, not P2.
    cache.cacheContent("P3", std::make_shared<Content>());
    EXPECT_TRUE(isCached(cache, "P2"));
    std::shared_ptr<Content> hit;
    ASSERT_TRUE(cache.cachedContentForCorrectionFilePath("P2", hit)); // a hit does not refresh
    cache.cacheContent("P4", std::make_shared<Content>());
    EXPECT_FALSE(isCached(cache, "P2"));
    EXPECT_FALSE(isClipCached(cache, "/c/B.mov"));
    EXPECT_TRUE(isCached(cache, "P3"));
    EXPECT_TRUE(isCached(cache, "P4"));
}

TEST(ContainerManagerContentCache, CapacityZeroNeverEvicts)
{
    ContainerManagerContentCache cache(0);
    for (int i = 0; i < 300; ++i)
    {
        cache.cacheContent("/c/" + std::to_string(i) + ".mov", "P" + std::to_string(i),
            std::make_shared<Content>());
    }
    EXPECT_TRUE(isCached(cache, "P0"));
    EXPECT_TRUE(isClipCached(cache, "/c/0.mov"));
    std::shared_ptr<Content> untouched = std::make_shared<Content>();
    const Content* before = untouched.get();
    EXPECT_FALSE(cache.cachedContentForCorrectionFilePath("p0", untouched)); // exact bytes
    EXPECT_EQ(untouched.get(), before);
}

TEST_F(ContainerManagerTest, ChosenFileMustNameTheClipOnEveryRequest)
{
    auto shared = manager();
    std::shared_ptr<Content> content;
    shared->shareContent("A001", "/c/A001.tlcf", content);

    std::shared_ptr<Content> untouched;
    // Cached, yet checked again; names compare case-sensitively.
    EXPECT_EQ(TestSupport::thrownDescription<CorrectionData::FileMismatchException>(
                  [&] { shared->shareContent("a001.mov", "/c/A001.tlcf", untouched); }),
        "Correction file does not belong to the clip.\nClip File Name: \"a001.mov\"\n"
        "Correction File Path: \"/c/A001.tlcf\"\n"
        "Clip File Name in Correction File: \"A001.mov\"\n");
    EXPECT_FALSE(untouched);

    // A mismatching file is never cached, so it is read again.
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_THROW(shared->shareContent("A001.mov", "/c/B001.tlcf", content),
            CorrectionData::FileMismatchException);
    }
    EXPECT_EQ(files.readCounts["/c/B001.tlcf"], 2);
}

TEST_F(ContainerManagerTest, ConcurrentRequestsReadOnce)
{
    files.readDelay = std::chrono::milliseconds(20);
    auto shared = manager();
    std::vector<std::shared_ptr<Content>> contents(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < contents.size(); ++i)
    {
        threads.emplace_back(
            [&, i]
            {
                if (i % 2 == 0)
                {
                    shared->shareContent("/c/A001.mov", contents[i]);
                }
                else
                {
                    shared->shareContent("B001", "/c/B001.tlcf", contents[i]);
                }
            });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(files.readCounts["/c/A001.tlcf"], 1);
    EXPECT_EQ(files.readCounts["/c/B001.tlcf"], 1);
    for (size_t i = 0; i < contents.size(); ++i)
    {
        ASSERT_TRUE(contents[i]);
        EXPECT_EQ(contents[i], contents[i % 2]);
    }
}
