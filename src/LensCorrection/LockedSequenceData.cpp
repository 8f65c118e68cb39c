// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "LensCorrection/LockedSequenceData.h"

#include "AePlugin/AePlugin.h"
#include "Exception/DetailLines.h"

LockedSequenceData::LockedSequenceData(const AeInterface& ae)
    : ae(ae)
{
    if (!ae.inData || !ae.inData->sequence_data)
    {
        return;
    }
    suites.emplace(ae.inData->pica_basicP);
    const PF_HandleSuite1* handleSuite = suites->HandleSuite1();
    if (handleSuite->host_get_handle_size)
    {
        handleSize = handleSuite->host_get_handle_size(ae.inData->sequence_data);
        if (handleSize < SequenceData::size)
        {
            return;
        }
    }
    if (!handleSuite->host_lock_handle || !handleSuite->host_unlock_handle)
    {
        return;
    }
    void* bytes = handleSuite->host_lock_handle(ae.inData->sequence_data);
    if (!bytes)
    {
        return;
    }
    handle = ae.inData->sequence_data;
    block.emplace(static_cast<unsigned char*>(bytes));
}

LockedSequenceData::~LockedSequenceData()
{
    if (handle)
    {
        suites->HandleSuite1()->host_unlock_handle(handle);
    }
}

SequenceData* LockedSequenceData::get() { return block ? &*block : nullptr; }

SequenceData& LockedSequenceData::required()
{
    if (!block)
    {
        // Without a usable block a release build would dereference null; refuse the command
        // instead.
        const char* brief = "The effect's stored settings for this layer are missing or damaged.";
        ExceptionDetail::DetailLines details;
        details.unquoted("Host Command: ", ae.command);
        if (!ae.inData || !ae.inData->sequence_data)
        {
            details.unquoted("Sequence Data: ", "none");
        }
        else
        {
            details.unquoted("Sequence Data Size: ", handleSize)
                .unquoted("Required Size: ", SequenceData::size);
        }
        throw AeErrorPair(brief, std::string(brief) + "\n" + details.str());
    }
    return *block;
}
