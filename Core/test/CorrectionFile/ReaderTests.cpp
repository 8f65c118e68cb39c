// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <string>

#include <gtest/gtest.h>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Reader/Reader.h"
#include "Support/TemporaryDirectory.h"

namespace
{

TEST(Reader, ReadsEveryByteUnchanged)
{
    TestSupport::TemporaryDirectory directory;
    const std::string bytes("HEADER_START\r\n\0\xff\xfe\r\rend", 21);
    std::string content = "previous";
    CorrectionFile::Reader().readFile(directory.writeFile("a.tlcf", bytes), content);
    EXPECT_EQ(content, bytes);

    CorrectionFile::Reader().readFile(directory.writeFile("empty.tlcf", ""), content);
    EXPECT_EQ(content, "");
}

TEST(Reader, MissingFileOrDirectoryIsNotReadable)
{
    TestSupport::TemporaryDirectory directory;
    for (const std::string& path :
        { directory.path() + "/missing.tlcf", directory.makeDirectory("folder.tlcf") })
    {
        std::string content = "kept";
        try
        {
            CorrectionFile::Reader().readFile(path, content);
            ADD_FAILURE() << path;
        }
        catch (const CorrectionFile::NotReadableException& error)
        {
            EXPECT_EQ(error.detailedDescription(),
                "Correction file could not be read.\nFile Path: \"" + path + "\"\n");
        }
        EXPECT_EQ(content, "kept");
    }
}

} // namespace
