// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cstdio>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <unistd.h>

#include "AePlugin/TestEffect/TestEffectHost.h"
#include "Support/FileContents.h"
#include "Support/SharedObjectSymbols.h"
#include "Support/TemporaryDirectory.h"

using TestEffect::TestEffectHost;

namespace
{

/// Applies the effect and removes its log file before and after the test.
class AePluginTest : public ::testing::Test
{
protected:
    explicit AePluginTest(A_long applicationId = PF_APPL_ID_AFTER_EFFECTS)
        : host(applicationId)
    {
        std::remove(host.logPath().c_str());
        EXPECT_EQ(host.applyEffect(), PF_Err_NONE);
    }
    ~AePluginTest() override { std::remove(host.logPath().c_str()); }

    std::string log() const { return HostTest::readFile(host.logPath()); }
    /// The log entries that name this process, i.e. the detailed texts of pair failures.
    int loggedPairs() const
    {
        const std::string marker = "Process: " + std::to_string(getpid());
        int count = 0;
        const std::string text = log();
        for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + 1))
        {
            ++count;
        }
        return count;
    }
    bool outputIsRed() const
    {
        const Host::PixelWorld& output = host.frames().outputWorld();
        const A_u_short maximum = output.channelMaximum();
        return output.pixel(0, 0) == std::array<A_u_short, 4> { maximum, maximum, 0, 0 };
    }

    TestEffectHost host;
};

} // namespace

TEST(AePluginExports, EntryPointFuncIsTheOnlyDefinedDynamicSymbol)
{
    EXPECT_EQ(HostTest::definedDynamicSymbols(LC_FRAMEWORK_TEST_EFFECT),
        std::vector<std::string> { "EntryPointFunc" });
}

TEST_F(AePluginTest, DispatchesEachCommandToItsOperationAndIgnoresTheOthers)
{
    const struct
    {
        PF_Cmd command;
        const char* operation; // empty: ignored
    } cases[] = {
        { PF_Cmd_ABOUT, "about" },
        { PF_Cmd_GLOBAL_SETUP, "globalSetup" },
        { PF_Cmd_UNUSED_0, "" },
        { PF_Cmd_GLOBAL_SETDOWN, "" },
        { PF_Cmd_SEQUENCE_RESETUP, "sequenceResetup" },
        { PF_Cmd_SEQUENCE_FLATTEN, "sequenceFlatten" },
        { PF_Cmd_DO_DIALOG, "" },
        { PF_Cmd_FRAME_SETUP, "frameSetup" },
        { PF_Cmd_RENDER, "render" },
        { PF_Cmd_FRAME_SETDOWN, "" },
        { PF_Cmd_USER_CHANGED_PARAM, "userChangedParameter" },
        { PF_Cmd_UPDATE_PARAMS_UI, "updateParameterUI" },
        { 15, "" },
        { 20, "" },
        { -1, "" },
        { PF_Cmd_SEQUENCE_SETDOWN, "sequenceSetdown" },
        { PF_Cmd_SEQUENCE_SETUP, "sequenceSetup" },
        { PF_Cmd_PARAMS_SETUP, "parameterSetup" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.command);
        PF_UserChangedParamExtra extra { TestEffect::argumentParameter };
        EXPECT_EQ(host.send(c.command, &extra), PF_Err_NONE);
        EXPECT_EQ(host.lastCommand().returnMessage, c.operation);
        EXPECT_FALSE(host.lastCommand().messageShown);
        EXPECT_EQ(host.lastCommand().outFlags & ~PF_OutFlag_FORCE_RERENDER,
            c.command == PF_Cmd_GLOBAL_SETUP
                ? PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER
                : 0);
    }
    EXPECT_EQ(host.reportedParameterCount(), TestEffect::parameterCount);
    EXPECT_EQ(host.parameters().count(), TestEffect::parameterCount);
}

TEST_F(AePluginTest, FailedFrameSetupShowsOnceThenNextRenderIsRedAndTheOneAfterWorks)
{
    host.setBehaviour(TestEffect::throwPair);
    EXPECT_EQ(host.send(PF_Cmd_FRAME_SETUP), PF_Err_NONE);
    EXPECT_EQ(host.shownMessages(), std::vector<std::string> { "Failure in frameSetup." });
    EXPECT_EQ(loggedPairs(), 1);

    host.setBehaviour(TestEffect::normal);
    EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_TRUE(outputIsRed());
    EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_FALSE(outputIsRed());
    EXPECT_EQ(host.lastCommand().returnMessage, "render");
}

TEST_F(AePluginTest, TwoFailingParameterChangesShowAndLogOnlyTheFirst)
{
    host.setBehaviour(TestEffect::throwPair);
    EXPECT_EQ(host.userChangedParameter(TestEffect::argumentParameter), PF_Err_NONE);
    EXPECT_EQ(host.userChangedParameter(TestEffect::argumentParameter), PF_Err_NONE);
    EXPECT_EQ(host.shownMessages().size(), 1u);
    EXPECT_EQ(loggedPairs(), 1);
}

TEST_F(AePluginTest, FailingRenderShowsItsMessageAfterAnotherFailure)
{
    host.setBehaviour(TestEffect::throwPair);
    host.send(PF_Cmd_SEQUENCE_RESETUP);
    host.send(PF_Cmd_RENDER);
    host.send(PF_Cmd_RENDER);
    EXPECT_EQ(host.shownMessages(),
        (std::vector<std::string> { "Failure in sequenceResetup.", "Failure in render." }));
    EXPECT_EQ(loggedPairs(), 2);
}

TEST_F(AePluginTest, HostErrorCodesAreReturnedWithoutMessageOrPendingError)
{
    host.setBehaviour(TestEffect::throwInteger, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.send(PF_Cmd_FRAME_SETUP), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_FALSE(host.lastCommand().messageShown);
    host.setBehaviour(TestEffect::normal);
    EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
    EXPECT_FALSE(outputIsRed());
    EXPECT_EQ(log(), "");
}

TEST_F(AePluginTest, OtherExceptionsBecomeHostErrorsLoggedWithTheirText)
{
    const struct
    {
        TestEffect::Behaviour behaviour;
        PF_Err result;
        const char* logged;
    } cases[] = {
        { TestEffect::throwBadAlloc, PF_Err_OUT_OF_MEMORY, "std::bad_alloc" },
        { TestEffect::throwStdException, PF_Err_INTERNAL_STRUCT_DAMAGED,
            "Test effect failure in render" },
        { TestEffect::throwUnknown, PF_Err_INTERNAL_STRUCT_DAMAGED, "unknown type" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.logged);
        host.setBehaviour(c.behaviour);
        EXPECT_EQ(host.send(PF_Cmd_RENDER), c.result);
        EXPECT_NE(log().find(c.logged), std::string::npos) << log();
        // The entry lock was released: the next call gets through.
        host.setBehaviour(TestEffect::normal);
        EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
    }
}

TEST_F(AePluginTest, ParameterChangeForcesRerenderWhateverItsOutcome)
{
    for (const auto behaviour : { TestEffect::normal, TestEffect::throwPair,
             TestEffect::throwInteger, TestEffect::throwBadAlloc, TestEffect::throwUnknown })
    {
        host.setBehaviour(behaviour, 7);
        host.userChangedParameter(TestEffect::argumentParameter);
        EXPECT_TRUE(host.lastCommand().outFlags & PF_OutFlag_FORCE_RERENDER) << behaviour;
    }
    // A host that passes no extra record.
    host.setBehaviour(TestEffect::normal);
    EXPECT_EQ(host.send(PF_Cmd_USER_CHANGED_PARAM, nullptr), PF_Err_NONE);
    EXPECT_TRUE(host.lastCommand().outFlags & PF_OutFlag_FORCE_RERENDER);
}

TEST(AePluginConcurrency, ConcurrentHostsShareThePluginObjectOneCallAtATime)
{
    // Two instances of the effect on two host threads: every call goes through the one plug-in
    // object and its call record, which only the entry lock keeps apart.
    const auto renderFrames = [](A_long width, std::vector<PF_Err>& results)
    {
        TestEffectHost host;
        host.applyEffect();
        host.frames().setInputLayer(Host::PixelWorld(width, 9, width % 2 == 0));
        // Channel values that survive the float round trip exactly.
        const A_u_short maximum = host.frames().inputLayer().channelMaximum();
        host.frames().inputLayer().fill({ maximum, 0, maximum, 0 });
        for (int frame = 0; frame < 20; ++frame)
        {
            results.push_back(host.renderFrame());
            results.push_back(host.frames().outputWorld().width() == width
                        && host.frames().outputWorld().pixel(width - 1, 8)
                            == host.frames().inputLayer().pixel(0, 0)
                    ? PF_Err_NONE
                    : -1);
        }
    };
    // The host process loads the plug-in once, before its threads use it.
    const TestEffectHost loader;
    std::vector<PF_Err> first;
    std::vector<PF_Err> second;
    std::thread other(renderFrames, 31, std::ref(second));
    renderFrames(48, first);
    other.join();
    EXPECT_EQ(first, std::vector<PF_Err>(40, PF_Err_NONE));
    EXPECT_EQ(second, std::vector<PF_Err>(40, PF_Err_NONE));
}

TEST_F(AePluginTest, BriefTextIsCutAt255BytesOnACharacterBoundaryAndNeverUsedAsFormat)
{
    // 200 two-byte characters: 255 bytes would split the 128th.
    host.setBehaviour(TestEffect::throwLongPair, 200);
    host.send(PF_Cmd_RENDER);
    std::string expected;
    for (int i = 0; i < 127; ++i)
    {
        expected += "\xC3\xA9";
    }
    EXPECT_EQ(host.lastCommand().returnMessage, expected);

    host.setBehaviour(TestEffect::throwFormatPair);
    host.send(PF_Cmd_RENDER);
    EXPECT_EQ(host.lastCommand().returnMessage, "%s%s%n%x%d");
    for (const std::string& format : host.suiteUse().sprintfFormats())
    {
        EXPECT_EQ(format, "%s");
    }
}

TEST_F(AePluginTest, EverySuiteAcquiredInACommandIsReleasedByItsEnd)
{
    host.renderFrame();
    host.saveProject();
    host.send(PF_Cmd_SEQUENCE_SETDOWN);
    for (const Host::CommandRecord& record : host.history())
    {
        EXPECT_TRUE(record.suitesBalanced()) << record.command;
    }
    EXPECT_EQ(host.memory().liveHandles(), 0u);
    EXPECT_EQ(host.suiteUse().misuse(), 0u);
}

TEST(AePluginLog, FileIsNamedAfterThePluginAndTheFirstHost)
{
    for (const A_long application : { A_long { PF_APPL_ID_AFTER_EFFECTS },
             A_long { PF_APPL_ID_PREMIERE_PRO }, A_long { 0x3F3F3F3F } })
    {
        // A fresh load each time: the log name is fixed by the first call of a plug-in object.
        TestEffectHost host(application);
        std::remove(host.logPath().c_str());
        host.applyEffect();
        host.setBehaviour(TestEffect::throwPair);
        host.send(PF_Cmd_RENDER);
        EXPECT_NE(HostTest::readFile(host.logPath()).find("Failure in render."), std::string::npos)
            << host.logPath();
        std::remove(host.logPath().c_str());
    }
}

TEST(AePluginLog, SymbolicLinkOrDirectoryAtTheLogPathIsLeftAlone)
{
    const TestSupport::TemporaryDirectory directory;
    const std::string target = directory.path() + "/target";
    for (const bool link : { true, false })
    {
        TestEffectHost host(0x4C4E4B21);
        std::remove(host.logPath().c_str());
        ASSERT_EQ(link ? symlink(target.c_str(), host.logPath().c_str())
                       : mkdir(host.logPath().c_str(), 0700),
            0);
        host.applyEffect();
        host.setBehaviour(TestEffect::throwPair);
        EXPECT_EQ(host.send(PF_Cmd_RENDER), PF_Err_NONE);
        EXPECT_EQ(host.shownMessages().size(), 1u);
        EXPECT_EQ(HostTest::readFile(target), "");
        (link ? unlink(host.logPath().c_str()) : rmdir(host.logPath().c_str()));
    }
}
