// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "AePlugin/TestEffect/TestEffectHost.h"

using TestEffect::TestEffectHost;

namespace
{

struct ClipReport
{
    bool hasPath;
    std::string path;
    bool hasName;
    std::string name;
};

/// Asks the test effect for the clip's path and name (reportClip) and reads its report.
ClipReport reportClip(TestEffectHost& host)
{
    host.setBehaviour(TestEffect::reportClip);
    EXPECT_EQ(host.userChangedParameter(TestEffect::argumentParameter), PF_Err_NONE);
    const std::vector<unsigned char> bytes = host.sequenceDataBytes();
    const std::string report(bytes.begin(), bytes.end());
    const auto first = report.find('\n');
    const auto second = report.find('\n', first + 1);
    const auto third = report.find('\n', second + 1);
    // Nothing the plug-in borrowed from the host is left over.
    EXPECT_EQ(host.clip().livePathHandles(), 0u);
    EXPECT_EQ(host.clip().liveStrings(), 0u);
    EXPECT_EQ(host.suiteUse().misuse(), 0u);
    EXPECT_TRUE(host.lastCommand().suitesBalanced());
    return { report[0] == '1', report.substr(first + 1, second - first - 1),
        report[second + 1] == '1', report.substr(third + 1) };
}

} // namespace

TEST(AeClip, PathAndNameInAfterEffectsAsUtf8)
{
    const struct
    {
        std::u16string units;
        bool hasPath;
        const char* path;
        const char* name;
    } cases[] = {
        { u"/Volumes/Media/A001C003.mov", true, "/Volumes/Media/A001C003.mov", "A001C003.mov" },
        { u"/M\u00e9dia/\u00e9t\u00e9.mov", true,
            "/M\xC3\xA9"
            "dia/\xC3\xA9t\xC3\xA9.mov",
            "\xC3\xA9t\xC3\xA9.mov" },
        // A surrogate pair is one character of four UTF-8 bytes.
        { u"/clips/\U0001F3AC.mov", true, "/clips/\xF0\x9F\x8E\xAC.mov", "\xF0\x9F\x8E\xAC.mov" },
        { u"/clips/\u20ac\u6587.mov", true, "/clips/\xE2\x82\xAC\xE6\x96\x87.mov",
            "\xE2\x82\xAC\xE6\x96\x87.mov" },
        { u"/clips/", true, "/clips/", "" },
        { u"A001.mov", true, "A001.mov", "A001.mov" },
        { u"", false, "", "" },
        // Lone surrogates are not text: the path is unavailable.
        { std::u16string(u"/clips/x") + char16_t(0xD83C) + u".mov", false, "", "" },
        { std::u16string(u"/clips/x") + char16_t(0xDF3C) + u".mov", false, "", "" },
        { std::u16string(u"/clips/x") + char16_t(0xD83C), false, "", "" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        TestEffectHost host;
        host.applyEffect();
        host.clip().setFootagePath(c.units);
        const ClipReport report = reportClip(host);
        EXPECT_EQ(report.hasPath, c.hasPath);
        EXPECT_EQ(report.path, c.path);
        EXPECT_EQ(report.hasName, *c.name != '\0');
        EXPECT_EQ(report.name, c.name);
    }
}

TEST(AeClip, LayerWithoutFootageHasNeitherPathNorName)
{
    for (const auto call :
        { Host::FootageCall::getEffectLayer, Host::FootageCall::getLayerSourceItem,
            Host::FootageCall::getMainFootageFromItem, Host::FootageCall::getFootageNumFiles,
            Host::FootageCall::getFootagePath, Host::FootageCall::lockMemHandle })
    {
        SCOPED_TRACE(static_cast<int>(call));
        TestEffectHost host;
        host.applyEffect();
        host.faults().failFootageCall(call);
        const ClipReport report = reportClip(host);
        EXPECT_FALSE(report.hasPath);
        EXPECT_FALSE(report.hasName);
    }
}

TEST(AeClip, FileNameOnlyInPremierePro)
{
    const struct
    {
        A_long application;
        std::optional<std::string> fileName;
        bool hasName;
        bool hostCutsCopies = false;
    } cases[] = {
        { PF_APPL_ID_PREMIERE_PRO, std::string("A001C003.mov"), true },
        { PF_APPL_ID_PREMIERE_PRO, std::string("\xC3\xA9t\xC3\xA9.mov"), true },
        { PF_APPL_ID_PREMIERE_PRO, std::string(""), false },
        { PF_APPL_ID_PREMIERE_PRO, std::nullopt, false },
        { PF_APPL_ID_PREMIERE_PRO, std::string(4095, 'n'), true },
        { PF_APPL_ID_PREMIERE_PRO, std::string(4096, 'n'), false },
        // A host that fills the buffer without a zero: the cut name is no name.
        { PF_APPL_ID_PREMIERE_PRO, std::string(5000, 'n'), false, true },
        { PF_APPL_ID_PREMIERE_PRO, std::string(4095, 'n'), true, true },
        { 0x3F3F3F3F, std::string("A001C003.mov"), false },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.fileName.value_or("(none)").size());
        TestEffectHost host(c.application);
        host.applyEffect();
        host.clip().setClipFileName(c.fileName);
        host.faults().truncateStringCopiesWithoutZero(c.hostCutsCopies);
        const ClipReport report = reportClip(host);
        EXPECT_FALSE(report.hasPath);
        EXPECT_EQ(report.hasName, c.hasName);
        EXPECT_EQ(report.name, c.hasName ? *c.fileName : "");
    }
}

TEST(AeClip, FootagePathOf100000UnitsArrivesWhole)
{
    TestEffectHost host;
    host.applyEffect();
    host.clip().setFootagePath(u"/" + std::u16string(99999, u'\u00e9'));
    const ClipReport report = reportClip(host);
    EXPECT_TRUE(report.hasPath);
    EXPECT_EQ(report.path.size(), 1u + 2 * 99999);
    EXPECT_EQ(report.name, report.path.substr(1));
}
