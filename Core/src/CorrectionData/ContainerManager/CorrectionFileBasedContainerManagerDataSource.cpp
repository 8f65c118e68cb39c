// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "CorrectionData/ContainerManager/CorrectionFileBasedContainerManagerDataSource.h"

#include <utility>

#include "CorrectionFile/Finder/ClipFilePathBasedFinder.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"

namespace
{

void readAndParseContent(const std::string& correctionFilePath, CorrectionData::Content& content)
{
    std::string text;
    CorrectionFile::Reader().readFile(correctionFilePath, text);
    CorrectionData::Content parsed {};
    CorrectionFile::Parser().parse(text, parsed);
    content = std::move(parsed);
}

} // namespace

namespace CorrectionData
{

CorrectionFileBasedContainerManagerDataSource::CorrectionFileBasedContainerManagerDataSource(
    CorrectionFile::LevelOfDepth levelOfDepth)
    : levelOfDepth(levelOfDepth)
{
}

void CorrectionFileBasedContainerManagerDataSource::content(
    const std::string& clipFilePath, std::string& correctionFilePath, Content& content)
{
    std::string foundPath;
    CorrectionFile::ClipFilePathBasedFinder(clipFilePath, levelOfDepth).find(foundPath);
    readAndParseContent(foundPath, content);
    correctionFilePath = std::move(foundPath);
}

void CorrectionFileBasedContainerManagerDataSource::content(
    const std::string& correctionFilePath, Content& content)
{
    readAndParseContent(correctionFilePath, content);
}

} // namespace CorrectionData
