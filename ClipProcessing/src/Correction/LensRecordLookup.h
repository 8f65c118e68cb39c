// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

// Used by FrameCorrector only; here so that the files that define its members see the class whole.

#include <memory>
#include <string>

#include "Common/Failure.h"
#include "Common/TextHelpers.h"
#include "Core/CorrectionFrameLookup.h"
#include "Correction/LensDataSource.h"
#include "CorrectionData/Container/ManagedContainer.h"

namespace LensCorrect
{

/// The frame's lens record as the library looks it up, through a container beside the library's
/// own (the parsed file shared through the library's cache). A window needs one fact the
/// library does not report: the radius its distortion fit takes to a given undistorted radius.
class LensRecordLookup
{
public:
    CorrectionData::Frame record(const ClipIdentity& identity, const std::string& frameMetadata,
        const Core::FrameData& frameData)
    {
        return libraryCall(
            [&]
            {
                // As the data source answers: the frame's own lens data, else the named file
                // checked against the clip's name, else the search around the clip.
                if (!frameMetadata.empty())
                {
                    if (!container || container->frameMetadataJSONString != frameMetadata)
                    {
                        container
                            = std::make_unique<CorrectionData::ManagedContainer>(frameMetadata);
                    }
                }
                else if (!identity.correctionFilePath.empty())
                {
                    const std::string name = fileName(identity.clipFilePath);
                    if (!container || container->correctionFilePath != identity.correctionFilePath
                        || container->clipFileName != name)
                    {
                        container = std::make_unique<CorrectionData::ManagedContainer>(
                            name, identity.correctionFilePath, Core::sharedContainerManager());
                    }
                }
                else if (!container || container->clipFilePath != identity.clipFilePath)
                {
                    container = std::make_unique<CorrectionData::ManagedContainer>(
                        identity.clipFilePath, Core::sharedContainerManager());
                }
                return Core::correctionFrame(*container, frameData);
            });
    }

private:
    std::unique_ptr<CorrectionData::ManagedContainer> container;
};

} // namespace LensCorrect
