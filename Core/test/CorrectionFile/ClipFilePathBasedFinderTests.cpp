// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include <string>
#include <vector>

#include <boost/filesystem.hpp>
#include <gtest/gtest.h>

#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Finder/ClipFilePathBasedFinder.h"
#include "Support/TemporaryDirectory.h"

namespace fs = boost::filesystem;

namespace
{

const CorrectionFile::LevelOfDepth pipelineDepths { 1, 5, 2 };

/// A header naming the clip by its video file name and its clip name.
std::string correctionFile(const std::string& videoFileName, const std::string& clipName = "C")
{
    std::string text = "HEADER_START\n";
    for (const char* key : { "lensManufacturer", "lensTypeName", "lensSerialNumber",
             "lensMinFocalLength", "lensMaxFocalLength", "cameraManufacturer", "cameraModel",
             "sensorWidth", "clipDurationFrames", "clipWidth", "clipHeight", "tcDrop",
             "enableLensShadingCorrection", "shadingGamma", "enableLensDistortionCorrection",
             "distortionZoom" })
    {
        text += std::string(key) + ":=1\n";
    }
    return text + "tcFps:=25\nclipName:=" + clipName + "\nvideoFileName:=" + videoFileName
        + "\nHEADER_END\nframe;shading;radialDistortion;\n";
}

/// A card of footage five folders deep, so that the five parent levels searched stay inside the
/// temporary directory.
class ClipFilePathBasedFinder : public testing::Test
{
protected:
    const std::string clipDirectory = "Volumes/Media/Project/Footage/Day1/Card1";
    const std::string clipFileName = "A001C001.mov";

    std::string path(const std::string& relativePath) const
    {
        return root.path() + "/" + relativePath;
    }

    std::string clipPath() const { return path(clipDirectory + "/" + clipFileName); }

    std::string find(CorrectionFile::LevelOfDepth depths = pipelineDepths) const
    {
        std::string found = "untouched";
        CorrectionFile::ClipFilePathBasedFinder(clipPath(), depths).find(found);
        return found;
    }

    /// The detailed description of the failed search, which lists the searched directories.
    std::string failedSearch(
        const std::string& clipFilePath, CorrectionFile::LevelOfDepth depths = pipelineDepths) const
    {
        std::string found = "untouched";
        try
        {
            CorrectionFile::ClipFilePathBasedFinder(clipFilePath, depths).find(found);
        }
        catch (const CorrectionFile::NotFoundException& error)
        {
            EXPECT_EQ(found, "untouched");
            return error.detailedDescription();
        }
        return "found " + found;
    }

    TestSupport::TemporaryDirectory root;
};

TEST_F(ClipFilePathBasedFinder, TakesFirstCandidateWhoseHeaderNamesClip)
{
    const std::string card = clipDirectory + "/";
    // Tried first for their names, but passed over: another clip's file, a broken one, and one
    // whose extension is not exactly ".tlcf".
    root.writeFile(card + "A001C001.tlcf", correctionFile("B002C007.mov", "B002C007"));
    root.writeFile(card + "A001C001_broken.tlcf", "HEADER_START\nvideoFileName A001C001.mov\n");
    root.writeFile(card + "A001C001.TLCF", correctionFile(clipFileName));
    root.makeDirectory(card + "A001C001_folder.tlcf");
    root.writeFile(card + "card-notes.tlcf", correctionFile(clipFileName));
    EXPECT_EQ(find(), path(card + "card-notes.tlcf"));

    // The clip name in the header names the clip too.
    fs::remove(path(card + "card-notes.tlcf"));
    root.writeFile(card + "other.tlcf", correctionFile("A001C001_proxy.mov", clipFileName));
    EXPECT_EQ(find(), path(card + "other.tlcf"));
}

TEST_F(ClipFilePathBasedFinder, PrefersNamesContainingClipStemLastListedFirst)
{
    const std::string card = clipDirectory + "/";
    for (const char* name :
        { "a.tlcf", "b.tlcf", "A001C001_1.tlcf", "c.tlcf", "take_A001C001.tlcf", "d.tlcf" })
    {
        root.writeFile(card + name, correctionFile(clipFileName));
    }
    std::string lastListedWithStem;
    for (const fs::directory_entry& entry : fs::directory_iterator(path(clipDirectory)))
    {
        if (entry.path().filename().string().find("A001C001") != std::string::npos)
        {
            lastListedWithStem = entry.path().string();
        }
    }
    EXPECT_EQ(find(), lastListedWithStem);
}

TEST_F(ClipFilePathBasedFinder, FindsSubdirectoriesAndSiblingsButNotHiddenOrTooDeep)
{
    root.writeFile(clipDirectory + "/.cache/A001C001.tlcf", correctionFile(clipFileName));
    root.writeFile("Volumes/Media/Project/Footage/Day1/Card2/Reports/Old/A001C001.tlcf",
        correctionFile(clipFileName));
    EXPECT_NE(
        failedSearch(clipPath()).find("Correction file could not be found.\n"), std::string::npos);

    // Two levels below the parent is as deep as the search goes.
    const std::string sibling = "Volumes/Media/Project/Footage/Day1/Card2/Reports/lens.tlcf";
    root.writeFile(sibling, correctionFile(clipFileName));
    EXPECT_EQ(find(), path(sibling));

    // The clip directory's own subdirectories come before the parents.
    const std::string below = clipDirectory + "/Lens/lens.tlcf";
    root.writeFile(below, correctionFile(clipFileName));
    EXPECT_EQ(find(), path(below));
    EXPECT_EQ(failedSearch(clipPath(), { 0, 0, 0 }),
        "Correction file could not be found.\nClip File Path: \"" + clipPath()
            + "\"\nSearched Directory Paths:\n\t\"" + path(clipDirectory) + "\"\n");
}

TEST_F(ClipFilePathBasedFinder, ListsEverySearchedDirectoryInSearchOrder)
{
    // Each directory has at most one subdirectory that the search takes, so the order is fixed
    // whatever order the file system lists entries in.
    root.makeDirectory("P/D0/sub/subsub");
    root.makeDirectory("P/D0/.git");
    root.makeDirectory("P/S/deep/deeper");
    root.makeDirectory("other");
    root.writeFile("P/S/readme.txt", "");
    // Links back up the tree are searched but never followed; two links to each other are no
    // directory at all.
    fs::create_directory_symlink(root.path(), path("other/up"));
    fs::create_directory_symlink(path("P/D0/b"), path("P/D0/a"));
    fs::create_directory_symlink(path("P/D0/a"), path("P/D0/b"));

    const std::string clip = path("P/D0/A.mov");
    EXPECT_EQ(failedSearch(clip, { 1, 2, 2 }),
        "Correction file could not be found.\nClip File Path: \"" + clip
            + "\"\nSearched Directory Paths:\n\t\"" + path("P/D0") + "\"\n\t\"" + path("P/D0/sub")
            + "\"\n\t\"" + path("P") + "\"\n\t\"" + path("P/S") + "\"\n\t\"" + path("P/S/deep")
            + "\"\n\t\"" + root.path() + "\"\n\t\"" + path("other") + "\"\n\t\"" + path("other/up")
            + "\"\n");
}

TEST_F(ClipFilePathBasedFinder, StopsAtRootAndListsMissingDirectories)
{
    EXPECT_EQ(failedSearch("/nonexistent-lc-dir/A.mov", { 3, 2, 0 }),
        "Correction file could not be found.\nClip File Path: \"/nonexistent-lc-dir/A.mov\"\n"
        "Searched Directory Paths:\n\t\"/nonexistent-lc-dir\"\n\t\"/\"\n");
}

} // namespace
