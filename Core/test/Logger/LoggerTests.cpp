// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Logger/Logger.h"
#include "Logger/LoggerDetail.h"
#include "Support/TemporaryDirectory.h"

namespace
{

std::string fileContent(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream content;
    content << stream.rdbuf();
    return content.str();
}

/// Pins the process to UTC for one test, so composed time stamps are predictable.
class UtcTimeZone
{
public:
    UtcTimeZone()
    {
        const char* current = std::getenv("TZ");
        hadTimeZone = current != nullptr;
        if (hadTimeZone)
        {
            previous = current;
        }
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcTimeZone()
    {
        if (hadTimeZone)
        {
            setenv("TZ", previous.c_str(), 1);
        }
        else
        {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    bool hadTimeZone = false;
    std::string previous;
};

} // namespace

TEST(Logger, ComposesLocalTimeWithSixDigitMicroseconds)
{
    UtcTimeZone utc;
    // 2021-03-02 14:07:09 UTC is 1614694029 s after the epoch.
    EXPECT_EQ(Core::LoggerDetail::composeEntry(1614694029003500LL, "Message"),
        "2021-03-02 14:07:09.003500: Message");
    EXPECT_EQ(
        Core::LoggerDetail::composeEntry(1614694029000000LL, ""), "2021-03-02 14:07:09.000000: ");
    EXPECT_EQ(Core::LoggerDetail::composeEntry(1614694029999999LL, "a\nb\n"),
        "2021-03-02 14:07:09.999999: a\nb\n");
    EXPECT_EQ(Core::LoggerDetail::composeEntry(-1, "x"), "1969-12-31 23:59:59.999999: x");
}

TEST(Logger, AppendsEntriesInCallOrderEachWithItsOwnStamp)
{
    TestSupport::TemporaryDirectory directory;
    const std::string path = directory.writeFile("existing.log", "earlier content\n");
    Core::Logger logger(path);

    logger.log("First");
    logger.log("Second.\nDetail: \"x\"\n");
    logger.log("");

    const std::string stamp = R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{6}: )";
    const std::regex expected("earlier content\n" + stamp + "First\n" + stamp
        + "Second\\.\nDetail: \"x\"\n\n" + stamp + "\n");
    const std::string content = fileContent(path);
    EXPECT_TRUE(std::regex_match(content, expected)) << content;
}

TEST(Logger, StampIsTheMomentOfLogging)
{
    TestSupport::TemporaryDirectory directory;
    const std::string path = directory.path() + "/moment.log";
    const std::time_t before = std::time(nullptr);
    Core::Logger(path).log("m");
    const std::time_t after = std::time(nullptr);

    std::tm stamp {};
    std::istringstream content(fileContent(path));
    content >> std::get_time(&stamp, "%Y-%m-%d %H:%M:%S");
    ASSERT_FALSE(content.fail());
    stamp.tm_isdst = -1;
    const std::time_t logged = std::mktime(&stamp);
    EXPECT_GE(logged, before);
    EXPECT_LE(logged, after);
}

TEST(Logger, CreatesTheFileWithOrdinaryPermissions)
{
    TestSupport::TemporaryDirectory directory;
    const std::string path = directory.path() + "/new.log";
    Core::Logger(path).log("m");

    const mode_t mask = umask(0);
    umask(mask);
    struct stat status
    {
    };
    ASSERT_EQ(lstat(path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(status.st_mode & 0777, 0644 & ~mask);
}

TEST(Logger, UnwritablePlacesAreSkippedSilently)
{
    TestSupport::TemporaryDirectory directory;
    struct Row
    {
        std::string path;
        std::string checked; // must not exist afterwards, or must still be an empty directory
        bool emptyDirectory;
    };
    std::vector<Row> rows = {
        { directory.path() + "/missing/dir/x.log", directory.path() + "/missing", false },
        { directory.makeDirectory("isADirectory"), directory.path() + "/isADirectory", true },
    };
    const std::string readOnly = directory.makeDirectory("readOnly");
    ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
    // Permissions do not stop root, for whom this row would prove nothing.
    if (access(readOnly.c_str(), W_OK) != 0)
    {
        rows.push_back({ readOnly + "/x.log", readOnly + "/x.log", false });
    }
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.path);
        errno = EDOM;
        Core::Logger(row.path).log("m");
        EXPECT_EQ(errno, EDOM) << "the caller's errno changed";
        struct stat status
        {
        };
        if (row.emptyDirectory)
        {
            ASSERT_EQ(lstat(row.checked.c_str(), &status), 0);
            EXPECT_TRUE(S_ISDIR(status.st_mode));
            EXPECT_EQ(rmdir(row.checked.c_str()), 0) << "not empty";
        }
        else
        {
            EXPECT_NE(lstat(row.checked.c_str(), &status), 0) << "created";
        }
    }

    // The next writable log is written as usual.
    const std::string writable = directory.path() + "/writable.log";
    Core::Logger(writable).log("after");
    EXPECT_TRUE(std::regex_match(fileContent(writable), std::regex(".*: after\n")));
}

TEST(Logger, NeverWritesThroughASymbolicLink)
{
    TestSupport::TemporaryDirectory directory;
    const std::string target = directory.writeFile("victim.txt", "precious\n");
    const std::string danglingTarget = directory.path() + "/would-be-created.txt";
    const std::string link = directory.path() + "/link.log";
    const std::string danglingLink = directory.path() + "/dangling.log";
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    ASSERT_EQ(symlink(danglingTarget.c_str(), danglingLink.c_str()), 0);

    Core::Logger(link).log("m");
    Core::Logger(danglingLink).log("m");

    EXPECT_EQ(fileContent(target), "precious\n");
    EXPECT_NE(access(danglingTarget.c_str(), F_OK), 0);
}
