// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Core/Core.h"

#include <cassert>
#include <utility>

#include "Core/CorePrivate.h"
#include "Core/TextCopy.h"
#include "Exception/Exception.h"
#include "MetadataDatabase/CsvStringBasedMetadataDatabase.h"

namespace Core
{

namespace
{

    bool copyDescription(const std::shared_ptr<const std::string>& storedDescription,
        char* description, size_t capacity)
    {
        assert(description);
        assert(capacity);
        return storedDescription && copyWholeText(*storedDescription, description, capacity);
    }

    bool metadataKeyForMetadataKind(MetadataDatabase::MetadataKind kind,
        const char* c_cameraManufacturer, const char* c_containerFormat, char* c_key,
        size_t keyCapacity)
    {
        assert(c_cameraManufacturer);
        assert(c_containerFormat);
        assert(c_key);
        assert(keyCapacity);
        std::string key;
        try
        {
            MetadataDatabase::CsvStringBasedMetadataDatabase::sharedInstance().keyForKind(
                kind, c_cameraManufacturer, c_containerFormat, key);
        }
        catch (const Exception&)
        {
            return false;
        }
        return copyWholeText(key, c_key, keyCapacity);
    }

} // namespace

Core::Core(std::unique_ptr<CoreDataSource> dataSource)
    : corePrivate(std::make_unique<CorePrivate>(std::move(dataSource)))
{
}

Core::~Core()
{
    briefDescription.reset();
    detailedDescription.reset();
}

template <typename Operation> bool Core::captureErrors(Operation operation)
{
    briefDescription.reset();
    detailedDescription.reset();
    try
    {
        operation();
        return true;
    }
    catch (const Exception& exception)
    {
        auto brief = std::make_shared<const std::string>(exception.what());
        auto detailed = std::make_shared<const std::string>(exception.detailedDescription());
        // Both or neither: assigned only once both texts exist.
        briefDescription = std::move(brief);
        detailedDescription = std::move(detailed);
        return false;
    }
}

bool Core::frameSize(uint32_t& width, uint32_t& height)
{
    return captureErrors([&] { corePrivate->frameSize(width, height); });
}

bool Core::render(const float* input, float* output, size_t size)
{
    return captureErrors([&] { corePrivate->render(input, output, size); });
}

bool Core::recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat)
{
    return captureErrors([&] { corePrivate->recordingFormat(recordingFormat); });
}

bool Core::briefErrorDescription(char* description, size_t capacity) const
{
    return copyDescription(briefDescription, description, capacity);
}

bool Core::detailedErrorDescription(char* description, size_t capacity) const
{
    return copyDescription(detailedDescription, description, capacity);
}

bool Core::metadataKeyForClipFileName(const char* c_cameraManufacturer,
    const char* c_containerFormat, char* c_key, size_t keyCapacity)
{
    return metadataKeyForMetadataKind(MetadataDatabase::MetadataKind::ClipFileName,
        c_cameraManufacturer, c_containerFormat, c_key, keyCapacity);
}

bool Core::metadataKeyForTimecode(const char* c_cameraManufacturer, const char* c_containerFormat,
    char* c_key, size_t keyCapacity)
{
    return metadataKeyForMetadataKind(MetadataDatabase::MetadataKind::Timecode,
        c_cameraManufacturer, c_containerFormat, c_key, keyCapacity);
}

} // namespace Core
