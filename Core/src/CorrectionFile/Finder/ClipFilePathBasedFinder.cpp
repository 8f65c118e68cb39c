// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionFile/Finder/ClipFilePathBasedFinder.h"

#include <cassert>
#include <deque>
#include <utility>
#include <vector>

#include <boost/filesystem/operations.hpp>
#include <boost/filesystem/path.hpp>

#include "CorrectionData/Header.h"
#include "CorrectionFile/CorrectionFileExceptions.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"

namespace fs = boost::filesystem;

namespace
{

const std::string correctionFileExtension = ".tlcf";

/// The name up to its last "."; the whole name without one. Written out rather than taken from
/// path::stem(), whose treatment of names that begin with "." differs between Boost versions.
std::string stemOf(const std::string& fileName) { return fileName.substr(0, fileName.rfind('.')); }

bool hasCorrectionFileExtension(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    return dot != std::string::npos
        && fileName.compare(dot, std::string::npos, correctionFileExtension) == 0;
}

// Both follow symbolic links; an entry whose status cannot be had is neither.
bool isDirectory(const fs::directory_entry& entry)
{
    boost::system::error_code error;
    return fs::is_directory(entry.status(error));
}

bool isRegularFile(const fs::directory_entry& entry)
{
    boost::system::error_code error;
    return fs::is_regular_file(entry.status(error));
}

/// True, with the file's path in correctionFilePath, when the directory holds a correction file
/// whose header names the clip. Files whose name contains the clip's stem are tried first.
bool searchForCorrectionFileInDirectory(
    const std::string& clipFileName, const fs::path& directory, std::string& correctionFilePath)
{
    const std::string clipStem = stemOf(clipFileName);
    std::deque<fs::path> candidates;
    boost::system::error_code error;
    for (fs::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error))
    {
        const std::string fileName = entry->path().filename().string();
        if (!isRegularFile(*entry) || !hasCorrectionFileExtension(fileName))
        {
            continue;
        }
        if (fileName.find(clipStem) != std::string::npos)
        {
            candidates.push_front(entry->path());
        }
        else
        {
            candidates.push_back(entry->path());
        }
    }

    const CorrectionFile::Reader reader;
    const CorrectionFile::Parser parser;
    for (const fs::path& candidate : candidates)
    {
        CorrectionData::Header header {};
        try
        {
            std::string text;
            reader.readFile(candidate.string(), text);
            parser.parseHeader(text, header);
        }
        catch (const Exception&)
        {
            // Unreadable or malformed files are somebody else's; keep looking.
            continue;
        }
        if (header.videoFileName == clipFileName || header.clipName == clipFileName)
        {
            correctionFilePath = candidate.string();
            return true;
        }
    }
    return false;
}

/// The directories below directory, depth first, in listing order, down to maximumDepth (0 is
/// the directory's own entries). Names that begin with "." and the excluded path are left out
/// with everything below them; symbolic links to directories are listed but not followed, so a
/// link back up the tree cannot loop.
std::vector<fs::path> subdirectoriesOfDirectory(
    const fs::path& directory, int maximumDepth, const fs::path& excludedPath)
{
    std::vector<fs::path> subdirectories;
    // An unreadable directory counts as empty, and a failure inside one level abandons only
    // that level; nothing here throws.
    boost::system::error_code error;
    fs::recursive_directory_iterator entry(directory,
        fs::directory_options::skip_permission_denied | fs::directory_options::pop_on_error, error);
    for (const fs::recursive_directory_iterator end; entry != end; entry.increment(error))
    {
        if (!isDirectory(*entry))
        {
            continue;
        }
        const fs::path& path = entry->path();
        if (path.filename().string().front() == '.' || entry.depth() > maximumDepth
            || path == excludedPath)
        {
            entry.no_push();
            continue;
        }
        subdirectories.push_back(path);
        // Nothing below the deepest level is wanted, and links are not followed.
        boost::system::error_code linkError;
        if (entry.depth() == maximumDepth || fs::is_symlink(entry->symlink_status(linkError)))
        {
            entry.no_push();
        }
    }
    return subdirectories;
}

} // namespace

namespace CorrectionFile
{

ClipFilePathBasedFinder::ClipFilePathBasedFinder(
    const std::string& clipFilePath, LevelOfDepth levelOfDepth)
    : clipFilePath(clipFilePath)
    , levelOfDepth(levelOfDepth)
{
    assert(!clipFilePath.empty());
}

void ClipFilePathBasedFinder::find(std::string& correctionFilePath) const
{
    const fs::path clipDirectory = fs::path(clipFilePath).parent_path();
    const std::string clipFileName = fs::path(clipFilePath).filename().string();

    std::deque<fs::path> queue;
    std::vector<std::string> searchedDirectoryPaths;
    const auto searchQueue = [&]()
    {
        for (; !queue.empty(); queue.pop_front())
        {
            searchedDirectoryPaths.push_back(queue.front().string());
            if (searchForCorrectionFileInDirectory(clipFileName, queue.front(), correctionFilePath))
            {
                return true;
            }
        }
        return false;
    };
    const auto enqueueSubdirectories
        = [&](const fs::path& directory, uint8_t depth, const fs::path& excludedPath)
    {
        if (depth != 0)
        {
            for (fs::path& subdirectory :
                subdirectoriesOfDirectory(directory, depth - 1, excludedPath))
            {
                queue.push_back(std::move(subdirectory));
            }
        }
    };

    queue.push_back(clipDirectory);
    if (searchQueue())
    {
        return;
    }
    enqueueSubdirectories(clipDirectory, levelOfDepth.subdirectories, fs::path());
    if (searchQueue())
    {
        return;
    }
    fs::path currentDirectory = clipDirectory;
    for (unsigned int step = 0; step < levelOfDepth.parentDirectories; ++step)
    {
        const fs::path previousDirectory = currentDirectory;
        currentDirectory = currentDirectory.parent_path();
        if (currentDirectory.empty())
        {
            break;
        }
        queue.push_back(currentDirectory);
        enqueueSubdirectories(
            currentDirectory, levelOfDepth.subdirectoriesOfParentDirectories, previousDirectory);
        if (searchQueue())
        {
            return;
        }
    }
    throw NotFoundException(clipFilePath, searchedDirectoryPaths);
}

} // namespace CorrectionFile
