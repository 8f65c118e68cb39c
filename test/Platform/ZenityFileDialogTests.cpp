// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "Platform/FakeZenity.h"
#include "Platform/ZenityFileDialog.h"
#include "Support/TemporaryDirectory.h"

namespace
{

using TestSupport::FakeZenity;

TEST(ZenityFileDialog, AnswersByExitStatusAndOneLine)
{
    struct Case
    {
        const char* script;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        { "printf '/media/A001C003.tlcf\\n'", std::string("/media/A001C003.tlcf") },
        { "printf '/media/no line feed.tlcf'", std::string("/media/no line feed.tlcf") },
        { "printf '/media/A.tlcf\\n'; exit 1", std::nullopt },
        { "exit 0", std::nullopt },
        { "printf '/a.tlcf\\n/b.tlcf\\n'", std::nullopt },
        { "kill -9 $$", std::nullopt },
    };
    for (const Case& c : cases)
    {
        FakeZenity zenity(c.script);
        EXPECT_EQ(Platform::ZenityFileDialog().chooseFile("", "tlcf"), c.expected) << c.script;
    }
}

TEST(ZenityFileDialog, PassesTheMessageAsTitleAndFiltersTheExtension)
{
    TestSupport::TemporaryDirectory directory;
    const std::string record = directory.path() + "/arguments";
    FakeZenity zenity(
        "for a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + record + "'; done; exit 1");
    Platform::ZenityFileDialog().chooseFile("/media/current path.tlcf", "tlcf");
    std::ifstream stream(record);
    const std::string arguments { std::istreambuf_iterator<char>(stream), {} };
    EXPECT_EQ(
        arguments, "--file-selection\n--title=/media/current path.tlcf\n--file-filter=*.tlcf\n");
}

TEST(ZenityFileDialog, WithoutZenityOnPathSaysWhatToInstall)
{
    TestSupport::TemporaryDirectory empty;
    TestSupport::PathOnly path(empty.path());
    try
    {
        Platform::ZenityFileDialog().chooseFile("", "tlcf");
        FAIL() << "no exception";
    }
    catch (const Platform::FileDialogUnavailable& error)
    {
        EXPECT_STREQ(error.what(), "No file dialog is available to choose the correction file.");
        EXPECT_NE(error.details().find("package \"zenity\""), std::string::npos) << error.details();
    }
}

} // namespace
