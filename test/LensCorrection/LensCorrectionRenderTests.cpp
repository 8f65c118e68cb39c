// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>

#include <boost/filesystem.hpp>
#include <gtest/gtest.h>

#include "PluginTestSupport.h"
#include "Support/TemporaryDirectory.h"

namespace
{

using PluginTest::Control;
using PluginTest::distortionPlugin;
using PluginTest::frameHeight;
using PluginTest::frameWidth;
using PluginTest::hostWithEffect;
using PluginTest::LibraryRequest;
using PluginTest::shadingPlugin;

class LensCorrectionRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        correctionFile = directory.writeFile("A001C003.tlcf", PluginTest::correctionFile().text());
    }

    /// A host with `plugin` and the test's correction file chosen.
    std::unique_ptr<Host::SimulatedHost> hostWithFile(const std::string& plugin, bool deep = false,
        A_long width = frameWidth, A_long height = frameHeight) const
    {
        auto host = hostWithEffect(plugin, PF_APPL_ID_AFTER_EFFECTS, deep, width, height);
        EXPECT_EQ(PluginTest::chooseCorrectionFile(*host, correctionFile), PF_Err_NONE);
        EXPECT_FALSE(host->lastCommand().messageShown) << host->lastCommand().returnMessage;
        return host;
    }

    LibraryRequest request(bool shading, bool reverse = false) const
    {
        LibraryRequest request;
        request.shading = shading;
        request.reverse = reverse;
        request.correctionFilePath = correctionFile;
        request.clipFileName = PluginTest::clipFileName;
        request.clipFilePath = "/Volumes/Media/A001C003.mov";
        return request;
    }

    TestSupport::TemporaryDirectory directory;
    std::string correctionFile;
};

TEST_F(LensCorrectionRender, FrameSetupEnlargesAroundTheCentreButNeverShrinks)
{
    for (const bool reverse : { false, true })
    {
        auto host = hostWithFile(distortionPlugin);
        host->editParameter(Control::correctionModeIndex, reverse ? 2 : 1);
        ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
        const PluginTest::LibraryResult expected
            = PluginTest::libraryResult(host->frames().inputLayer(), request(false, reverse));
        EXPECT_EQ(host->frames().requestedOutputWidth(), A_long(expected.width));
        EXPECT_EQ(host->frames().requestedOutputHeight(), A_long(expected.height));
        EXPECT_EQ(
            host->frames().requestedOutputOrigin().h, (A_long(expected.width) - frameWidth) / 2);
        EXPECT_EQ(
            host->frames().requestedOutputOrigin().v, (A_long(expected.height) - frameHeight) / 2);
        PluginTest::expectPixelsMatch(host->frames().outputWorld(), expected);
    }
    EXPECT_EQ(hostWithFile(shadingPlugin)->renderFrame(), PF_Err_NONE);
}

TEST_F(LensCorrectionRender, OverscanIsMeasuredBetweenPixelCentres)
{
    auto host = hostWithFile(shadingPlugin);
    // The height follows: 101.25, rounded to 101.
    host->editParameter(Control::widthWithoutOverscanIndex, 180);
    ASSERT_EQ(host->parameters().value(Control::heightWithoutOverscanIndex), 101);
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    LibraryRequest wanted = request(true);
    const auto halfDiagonal
        = [](double w, double h) { return std::hypot(w / 2 - 0.5, h / 2 - 0.5); };
    wanted.overscan
        = float((halfDiagonal(frameWidth, frameHeight) / halfDiagonal(180, 101) - 1) * 100);
    PluginTest::expectPixelsMatch(host->frames().outputWorld(),
        PluginTest::libraryResult(host->frames().inputLayer(), wanted));
}

TEST_F(LensCorrectionRender, ManualRecordingFormatReplacesTheFilesOne)
{
    auto host = hostWithFile(shadingPlugin);
    host->editParameter(Control::manualSelectionIndex, 1);
    const std::pair<PF_ParamIndex, double> typed[] = { { Control::imageAreaWidthIndex, 20.5 },
        { Control::imageAreaHeightIndex, 11.53125 }, { Control::clipResolutionWidthIndex, 3840 },
        { Control::clipResolutionHeightIndex, 2160 } };
    for (const auto& [index, value] : typed)
    {
        host->editParameter(index, value);
    }
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    LibraryRequest wanted = request(true);
    wanted.manualRecordingFormat = RecordingFormatDatabase::RecordingFormat { 20.5f, 11.53125f,
        3840, 2160, float(host->parameters().value(Control::imageDiameterIndex)) * 0.5f };
    PluginTest::expectPixelsMatch(host->frames().outputWorld(),
        PluginTest::libraryResult(host->frames().inputLayer(), wanted));
}

TEST_F(LensCorrectionRender, FrameNumberAndRateComeFromTheHostTime)
{
    struct Case
    {
        A_long time;
        A_long step;
        A_u_long scale;
        uint32_t frameNumber;
        float framesPerSecond;
    };
    const Case cases[] = {
        { 48, 1, 24, 48, 24.0f }, { 4800, 100, 2400, 48, 24.0f },
        { 48, 0, 24, 0, 0.0f }, // no step: frame 0 at an unknown rate
    };
    for (const Case& c : cases)
    {
        auto host = hostWithFile(shadingPlugin);
        host->frames().setTime(c.time, c.step, c.scale);
        ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
        LibraryRequest wanted = request(true);
        wanted.frameNumber = c.frameNumber;
        wanted.framesPerSecond = c.framesPerSecond;
        PluginTest::expectPixelsMatch(host->frames().outputWorld(),
            PluginTest::libraryResult(host->frames().inputLayer(), wanted));
    }
}

TEST_F(LensCorrectionRender, FailedRenderPaintsRedAndReportsTheLibraryError)
{
    auto host = hostWithFile(shadingPlugin);
    // A 4:3 layer does not fit the 16:9 recording format; no frame setup before, so that the
    // render itself fails.
    host->frames().setInputLayer(Host::PixelWorld(64, 48, true));
    ASSERT_EQ(host->send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_TRUE(PluginTest::isRed(host->frames().outputWorld()));
    const Host::CommandRecord& render = host->lastCommand();
    ASSERT_TRUE(render.messageShown);
    EXPECT_FALSE(render.returnMessage.empty());

    std::ifstream log(PluginTest::afterEffectsLog("com.vuzev.LensCorrection.Shading"));
    const std::string text { std::istreambuf_iterator<char>(log), {} };
    EXPECT_NE(text.find(render.returnMessage), std::string::npos);
    EXPECT_NE(text.find("64x48"), std::string::npos) << "the detailed text names the size";
}

TEST_F(LensCorrectionRender, FailedFrameSetupMakesOnlyTheNextRenderRed)
{
    auto host = hostWithEffect(shadingPlugin);
    // No correction file: the frame setup fails. A clip name of its own, since the search
    // around the clip reaches other tests' directories under /tmp.
    host->clip().setFootagePath(u"/Volumes/Media/H4NOFILE.mov");
    ASSERT_EQ(host->send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
    EXPECT_TRUE(host->lastCommand().messageShown);
    ASSERT_EQ(host->send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_FALSE(host->lastCommand().messageShown);
    EXPECT_TRUE(PluginTest::isRed(host->frames().outputWorld()));

    host->clip().setFootagePath(u"/Volumes/Media/A001C003.mov");
    PluginTest::chooseCorrectionFile(*host, correctionFile);
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    PluginTest::expectPixelsMatch(host->frames().outputWorld(),
        PluginTest::libraryResult(host->frames().inputLayer(), request(true)));
}

TEST_F(LensCorrectionRender, OddFramesGiveAResultOrAMessage)
{
    // 1 x 1: within the library's tolerance of one pixel for 16:9 (1 / (16 / 9) rounds to 1),
    // so it is corrected like any frame.
    auto tiny = hostWithFile(shadingPlugin, false, 1, 1);
    ASSERT_EQ(tiny->renderFrame(), PF_Err_NONE);
    EXPECT_TRUE(tiny->shownMessages().empty()) << tiny->shownMessages().front();
    EXPECT_FALSE(PluginTest::isRed(tiny->frames().outputWorld()));
    PluginTest::expectPixelsMatch(tiny->frames().outputWorld(),
        PluginTest::libraryResult(tiny->frames().inputLayer(), request(true)));
    // 1 x 3 is two pixels off: refused for its aspect ratio, with a message and a red frame.
    auto narrow = hostWithFile(shadingPlugin, false, 1, 3);
    ASSERT_EQ(narrow->renderFrame(), PF_Err_NONE);
    ASSERT_EQ(narrow->shownMessages().size(), 1u);
    EXPECT_EQ(narrow->shownMessages().front(),
        "Aspect ratio of the current frame is not as expected. Recommended resolution is 1x1 px.");
    EXPECT_TRUE(PluginTest::isRed(narrow->frames().outputWorld()));
    // 15360 x 8640: the size alone, without a render on the CPU device.
    auto huge = hostWithFile(distortionPlugin, false, 15360, 8640);
    ASSERT_EQ(huge->send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
    EXPECT_FALSE(huge->lastCommand().messageShown) << huge->lastCommand().returnMessage;
    EXPECT_GE(huge->frames().requestedOutputWidth(), 15360);
    EXPECT_GE(huge->frames().requestedOutputHeight(), 8640);
}

TEST_F(LensCorrectionRender, CorrectionFileReplacedByADirectory)
{
    auto host = hostWithFile(shadingPlugin);
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    const PluginTest::LibraryResult before
        = PluginTest::libraryResult(host->frames().inputLayer(), request(true));
    boost::filesystem::remove(correctionFile);
    boost::filesystem::create_directory(correctionFile);
    // The file was read and parsed once, and its contents serve every later frame of the clip.
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    EXPECT_TRUE(host->shownMessages().empty()) << host->shownMessages().front();
    PluginTest::expectPixelsMatch(host->frames().outputWorld(), before);
}

TEST_F(LensCorrectionRender, PluginReloadsInOneProcess)
{
    Host::SimulatedHost host;
    for (int load = 0; load < 2; ++load)
    {
        host.load(shadingPlugin);
        ASSERT_EQ(host.applyEffect(), PF_Err_NONE);
        host.frames().setInputLayer(PluginTest::syntheticLayer(frameWidth, frameHeight, load == 1));
        PluginTest::chooseCorrectionFile(host, correctionFile);
        ASSERT_EQ(host.renderFrame(), PF_Err_NONE);
        PluginTest::expectPixelsMatch(host.frames().outputWorld(),
            PluginTest::libraryResult(host.frames().inputLayer(), request(true)));
        host.unload();
    }
}

TEST_F(LensCorrectionRender, ConcurrentRendersOfBothPlugins)
{
    // A compositor uses both on one layer: two copies of the library, two entry locks.
    auto shading = hostWithFile(shadingPlugin);
    auto distortion = hostWithFile(distortionPlugin, true);
    const auto expectedShading
        = PluginTest::libraryResult(shading->frames().inputLayer(), request(true));
    const auto expectedDistortion
        = PluginTest::libraryResult(distortion->frames().inputLayer(), request(false));
    PF_Err results[2] = { PF_Err_NONE, PF_Err_NONE };
    std::thread other(
        [&]
        {
            for (int frame = 0; frame < 3 && results[1] == PF_Err_NONE; ++frame)
            {
                results[1] = distortion->renderFrame();
            }
        });
    for (int frame = 0; frame < 3 && results[0] == PF_Err_NONE; ++frame)
    {
        results[0] = shading->renderFrame();
    }
    other.join();
    EXPECT_EQ(results[0], PF_Err_NONE);
    EXPECT_EQ(results[1], PF_Err_NONE);
    PluginTest::expectPixelsMatch(shading->frames().outputWorld(), expectedShading);
    PluginTest::expectPixelsMatch(distortion->frames().outputWorld(), expectedDistortion);
}

} // namespace
