// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "Core/Core.h"
#include "Core/CoreDataSource.h"
#include "Core/FrameData.h"
#include "CorrectionData/Frame.h"
#include "RecordingFormatDatabase/RecordingFormat.h"

namespace Core
{

class ExtendedManagedContainer;

/// The correction pipeline behind Core::Core: asks the data source what to do, keeps the clip's
/// container, derives the recording format, finds the frame's correction values, fits the
/// polynomials and runs the process-wide renderers. Failures are thrown as Exception.
class Core::CorePrivate
{
public:
    explicit CorePrivate(std::unique_ptr<CoreDataSource> dataSource);
    ~CorePrivate();
    CorePrivate(const CorePrivate&) = delete;
    CorePrivate& operator=(const CorePrivate&) = delete;

    void frameSize(uint32_t& width, uint32_t& height);
    void render(const float* input, float* output, size_t size);
    void recordingFormat(RecordingFormatDatabase::RecordingFormat& recordingFormat);

private:
    struct RequestedCorrections
    {
        bool shading = false;
        bool distortion = false;
    };

    /// Configures the renderers for the current frame. When any correction is requested it
    /// returns with rendererLock holding the renderer lock, so that the caller uses the renderers
    /// with exactly this configuration.
    RequestedCorrections prepareRendererIfNeeded(std::unique_lock<std::mutex>& rendererLock);
    /// The current container, rebuilt first when the data source names another clip identity.
    ExtendedManagedContainer& extendedManagedContainer();
    RecordingFormatDatabase::RecordingFormat retrieveRecordingFormat();
    FrameData retrieveFrameData();
    CorrectionData::Frame retrieveCorrectionFrameData(const FrameData& frameData);

    // Declared in this order so that the container goes before the data source.
    std::unique_ptr<CoreDataSource> dataSource;
    std::unique_ptr<ExtendedManagedContainer> container;
};

} // namespace Core
