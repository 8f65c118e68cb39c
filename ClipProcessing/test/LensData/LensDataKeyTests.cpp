// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// A frame's key as the library's frame data: the start timecode goes whole or not at all, in the
// look-up of the frame's record as in the corrector.
#include <string>

#include <gtest/gtest.h>

#include "Common/Failure.h"
#include "Correction/LensDataKey.h"
#include "LensData/ClipLensData.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCorrectionFile.h"

using namespace LensCorrect;

TEST(LensDataKey, TheStartTimecodeGoesWholeOrIsRefusedNamed)
{
    const std::string longest(15, '1');
    for (const std::string& timecode : { std::string(), std::string("01:00:00:00"), longest })
    {
        const Core::FrameData frame = libraryFrameData({ 7, 25.0f, timecode });
        EXPECT_EQ(std::string(frame.startTimecode), timecode);
        EXPECT_EQ(frame.frameNumber, 7u);
        EXPECT_EQ(frame.framesPerSecond, 25.0f);
    }
    const std::string tooLong = "01:00:00:00:0000";
    try
    {
        libraryFrameData({ 0, 25.0f, tooLong });
        FAIL() << "a cut timecode would look up another frame";
    }
    catch (const Failure& failure)
    {
        EXPECT_STREQ(failure.what(), "The start timecode is longer than a timecode can be.");
        EXPECT_NE(failure.detailed().find("\"" + tooLong + "\""), std::string::npos)
            << failure.detailed();
    }
}

TEST(LensDataKey, ARecordIsNotLookedUpByACutTimecode)
{
    TestSupport::TemporaryDirectory directory;
    TestSupport::TestCorrectionFile file;
    file.frames = { { 0, { 100, 99, 98, 97, 96, 95 }, {}, "01:00:00:00" } };
    ClipLensData lensData(ClipIdentity {
        directory.writeFile("A001C001.tlcf", file.text()), directory.path() + "/A001C001.mov" });
    MappedFrame frame;
    frame.key = LensDataKey { 0, 25.0f, "01:00:00:00" };
    EXPECT_EQ(lensData.record(frame).name, "0");
    // Cut to fifteen characters it would read as the first record's own timecode.
    frame.key->startTimecode = "01:00:00:0000001";
    EXPECT_THROW(lensData.record(frame), Failure);
}
