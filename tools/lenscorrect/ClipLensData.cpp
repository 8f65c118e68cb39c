// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/ClipLensData.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

#include "Core/CorrectionFrameLookup.h"
#include "CorrectionData/Container/ManagedContainer.h"
#include "CorrectionFile/Parser/Parser.h"
#include "CorrectionFile/Reader/Reader.h"
#include "Exception/ClassicNumberReader.h"
#include "Exception/Exception.h"
#include "lenscorrect/Failure.h"
#include "lenscorrect/FrameCorrector.h"
#include "lenscorrect/OpenTrackIoSamples.h"

namespace LensCorrect
{

namespace
{

    std::string fileName(const std::string& path)
    {
        const size_t separator = path.rfind('/');
        return separator == std::string::npos ? path : path.substr(separator + 1);
    }

    /// Runs a library operation, its exceptions turned into the tool's failures.
    template <typename Operation> auto libraryCall(Operation operation)
    {
        try
        {
            return operation();
        }
        catch (const Exception& exception)
        {
            throw Failure::fromLibrary(exception.what(), exception.detailedDescription());
        }
    }

} // namespace

ClipLensData::ClipLensData(const ClipIdentity& identity)
    : identity(identity)
    , container(identity.correctionFilePath.empty()
              ? std::make_unique<CorrectionData::ManagedContainer>(
                  identity.clipFilePath, Core::sharedContainerManager())
              : std::make_unique<CorrectionData::ManagedContainer>(fileName(identity.clipFilePath),
                  identity.correctionFilePath, Core::sharedContainerManager()))
{
}

ClipLensData::ClipLensData(std::shared_ptr<const OpenTrackIoSamples> samples)
    : openTrackIo(std::move(samples))
{
}

ClipLensData::~ClipLensData() = default;

std::string LensRecord::text() const
{
    const bool sample = name.rfind("line ", 0) == 0 || name.rfind("array ", 0) == 0;
    const bool several = name.find('-') != std::string::npos;
    return (sample ? (several ? "samples " : "sample ")
                   : (several ? "lens data frames " : "lens data frame "))
        + name + (timecode.empty() ? "" : " (" + timecode + ")");
}

CorrectionData::Header ClipLensData::header()
{
    if (!container)
    {
        return {};
    }
    return libraryCall(
        [&]
        {
            CorrectionData::Header header {};
            container->headerData(header);
            return header;
        });
}

LensRecord ClipLensData::record(const MappedFrame& mapped)
{
    if (!mapped.found())
    {
        throw mapped.failure.value_or(Failure("The frame has no lens data."));
    }
    if (mapped.sample)
    {
        const OpenTrackIoSample& sample = *mapped.sample;
        return { sample.where,
            sample.timecode ? sample.timecode->timecode.string(false) : std::string(),
            sample.focalLength, sample.focusDistance };
    }
    const LensDataKey& key = *mapped.key;
    const CorrectionData::Frame frame = libraryCall(
        [&]
        {
            Core::FrameData frameData {};
            frameData.frameNumber = key.frameNumber;
            frameData.framesPerSecond = key.framesPerSecond;
            const size_t length
                = std::min(key.startTimecode.size(), sizeof(frameData.startTimecode) - 1);
            std::memcpy(frameData.startTimecode, key.startTimecode.data(), length);
            return Core::correctionFrame(*container, frameData);
        });
    const auto& [focalLength, focusDistance] = lensState(frame.frameNumber);
    return { std::to_string(frame.frameNumber), frame.timecode, focalLength, focusDistance };
}

const std::pair<std::optional<double>, std::optional<double>>& ClipLensData::lensState(
    uint32_t frame)
{
    if (!lensStates)
    {
        lensStates.emplace();
        std::string text;
        try
        {
            CorrectionFile::Reader().readFile(path(), text);
        }
        catch (const Exception&)
        {
        }
        // Frame lines follow the body marker: number; shading; distortion; focal length; focus
        // distance; ... Only lines whose fields read as numbers count.
        const std::string marker = "frame;shading;radialDistortion;";
        const size_t body = text.find("\n" + marker);
        std::istringstream lines(body == std::string::npos ? std::string() : text.substr(body + 1));
        std::string line;
        std::getline(lines, line);
        ClassicNumberReader reader;
        while (std::getline(lines, line))
        {
            std::vector<std::string> fields;
            std::istringstream split(line);
            for (std::string field; std::getline(split, field, ';');)
            {
                fields.push_back(field);
            }
            unsigned int number = 0;
            if (fields.size() < 5 || !reader.read(fields[0], number))
            {
                continue;
            }
            auto& state = (*lensStates)[number];
            float value = 0.0f;
            state.first
                = reader.read(fields[3], value) ? std::optional<double>(value) : std::nullopt;
            state.second
                = reader.read(fields[4], value) ? std::optional<double>(value) : std::nullopt;
        }
    }
    static const std::pair<std::optional<double>, std::optional<double>> none;
    const auto found = lensStates->find(frame);
    return found == lensStates->end() ? none : found->second;
}

void ClipLensData::apply(FrameCorrector& corrector, const MappedFrame& frame) const
{
    if (frame.sample)
    {
        corrector.setFrameMetadata(frame.sample->frameMetadata, frame.sample->origin);
    }
}

std::string ClipLensData::path() const
{
    if (openTrackIo)
    {
        return openTrackIo->path();
    }
    std::string path = identity.correctionFilePath;
    if (path.empty())
    {
        Core::sharedContainerManager()->foundCorrectionFilePath(identity.clipFilePath, path);
    }
    return path;
}

CorrectionData::Header ClipLensData::headerOfFile(const std::string& correctionFilePath)
{
    return libraryCall(
        [&]
        {
            std::string text;
            CorrectionFile::Reader().readFile(correctionFilePath, text);
            CorrectionData::Header header {};
            CorrectionFile::Parser().parseHeader(text, header);
            return header;
        });
}

} // namespace LensCorrect
