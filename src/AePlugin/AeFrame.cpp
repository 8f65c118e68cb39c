// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "AePlugin/AeFrame.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "AePlugin/AeFrameDetail.h"
#include "AePlugin/AeFramePixels.h"
#include "AePlugin/AePlugin.h"

namespace AeFrameDetail
{

unsigned workerCount(unsigned hardwareConcurrency)
{
    return hardwareConcurrency > 0 ? hardwareConcurrency : 1;
}

std::vector<RowRange> splitRows(long rows, unsigned workers)
{
    const long perWorker = rows / static_cast<long>(workers);
    std::vector<RowRange> ranges(workers, RowRange { 0, perWorker });
    for (unsigned i = 0; i < workers; ++i)
    {
        ranges[i].first = perWorker * static_cast<long>(i);
    }
    ranges.back().count = rows - perWorker * static_cast<long>(workers - 1);
    return ranges;
}

} // namespace AeFrameDetail

namespace
{

const char* const transferFailed = "The frame's pixels could not be transferred.";

[[noreturn]] void throwTransferError(const std::string& details)
{
    throw AeErrorPair(transferFailed, std::string(transferFailed) + "\n" + details);
}

bool isDeep(const PF_EffectWorld* world) { return (world->world_flags & PF_WorldFlag_DEEP) != 0; }

template <typename Pixel> constexpr bool isDeepPixel()
{
    return sizeof(Pixel) == sizeof(PF_Pixel16);
}

template <typename Pixel>
PF_Err pixelData(const PF_InData* inData, PF_EffectWorld* world, Pixel** base)
{
    if constexpr (isDeepPixel<Pixel>())
    {
        return inData->utils->get_pixel_data16(world, nullptr, base);
    }
    else
    {
        return inData->utils->get_pixel_data8(world, nullptr, base);
    }
}

template <typename Pixel>
Pixel* pixelAddress(
    const PF_InData* inData, PF_EffectWorld* world, A_long x, A_long y, PF_Err& hostError)
{
    hostError = PF_Err_NONE;
    if (isDeep(world) != isDeepPixel<Pixel>())
    {
        return nullptr;
    }
    Pixel* base = nullptr;
    hostError = inData && inData->utils ? pixelData(inData, world, &base)
                                        : static_cast<PF_Err>(PF_Err_BAD_CALLBACK_PARAM);
    if (hostError != PF_Err_NONE || !base)
    {
        return nullptr;
    }
    // Rows start on whole pixels even when a host pads rows by an odd number of bytes.
    const int64_t rowOffset = int64_t { y } * world->rowbytes;
    const int64_t alignedRowOffset = rowOffset - rowOffset % int64_t { sizeof(Pixel) };
    return reinterpret_cast<Pixel*>(reinterpret_cast<char*>(base) + alignedRowOffset) + x;
}

const char* worldName(bool input) { return input ? "input layer" : "output world"; }

[[noreturn]] void throwRowError(bool input, long row, PF_Err hostError)
{
    throwTransferError(std::string("Reason: the host supplied no address for a row of the ")
        + worldName(input) + "\nRow: " + std::to_string(row)
        + "\nHost error code: " + std::to_string(hostError));
}

/// Refuses worlds that would make a transfer leave them: rows shorter than the width would
/// overlap and the last one would run past the host's block.
void checkWorld(const PF_EffectWorld* world, bool input)
{
    if (!world)
    {
        throwTransferError(std::string("Reason: the host passed no ") + worldName(input));
    }
    const int64_t pixelSize = isDeep(world) ? sizeof(PF_Pixel16) : sizeof(PF_Pixel8);
    if (world->width < 0 || world->height < 0 || world->rowbytes < world->width * pixelSize)
    {
        throwTransferError(std::string("Reason: the host's ") + worldName(input)
            + " has rows shorter than its width\nWidth: " + std::to_string(world->width)
            + "\nHeight: " + std::to_string(world->height)
            + "\nRowbytes: " + std::to_string(world->rowbytes)
            + "\nBits per channel: " + (isDeep(world) ? "16" : "8"));
    }
}

PF_EffectWorld* inputWorld(const AeInterface& ae)
{
    return ae.params && ae.params[0] ? &ae.params[0]->u.ld : nullptr;
}

/// What every worker of one transfer needs, read-only.
struct Transfer
{
    const PF_InData* inData;
    PF_EffectWorld* world; ///< the world iterated: the input for a read, the output for a write
    bool read;
    float* buffer;
    long bufferWidth; ///< the output world's width and height
    long bufferHeight;
    long dx; ///< the input's position in the buffer (negative when the output is smaller)
    long dy;
};

struct WorkerResult
{
    bool failed = false;
    long row = 0;
    PF_Err hostError = PF_Err_NONE;
};

template <typename Pixel>
void transferRows(const Transfer& transfer, AeFrameDetail::RowRange rows, WorkerResult& result)
{
    // Only the overlap of input and output is copied, so that an output smaller than the input
    // (a host that did not honour the enlargement) is never read or written outside.
    const long width = transfer.world->width;
    const long columnBegin = transfer.read ? std::max(0L, -transfer.dx) : 0;
    const long columnEnd
        = transfer.read ? std::min(width, transfer.bufferWidth - transfer.dx) : width;
    for (long y = rows.first; y < rows.first + rows.count; ++y)
    {
        const long bufferRow = transfer.read ? y + transfer.dy : y;
        if (bufferRow < 0 || bufferRow >= transfer.bufferHeight || columnBegin >= columnEnd)
        {
            continue;
        }
        PF_Err hostError = PF_Err_NONE;
        Pixel* row = pixelAddress<Pixel>(
            transfer.inData, transfer.world, 0, static_cast<A_long>(y), hostError);
        if (!row)
        {
            result = WorkerResult { true, y, hostError };
            return;
        }
        const long bufferColumn = transfer.read ? columnBegin + transfer.dx : 0;
        float* floats = transfer.buffer
            + (static_cast<std::size_t>(bufferRow) * transfer.bufferWidth + bufferColumn) * 4;
        if (transfer.read)
        {
            AeFrameDetail::readRow(row + columnBegin, floats, columnEnd - columnBegin);
        }
        else
        {
            AeFrameDetail::writeRow(floats, row, width);
        }
    }
}

/// Joins every started worker on every way out: a joinable thread destroyed by unwinding would
/// end the host's process.
class Workers
{
public:
    explicit Workers(unsigned count) { threads.reserve(count); }
    ~Workers() { join(); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    template <typename Function> void start(Function&& function)
    {
        threads.emplace_back(std::forward<Function>(function));
    }
    void join()
    {
        for (std::thread& thread : threads)
        {
            if (thread.joinable())
            {
                thread.join();
            }
        }
    }

private:
    std::vector<std::thread> threads;
};

} // namespace

AeFrame::AeFrame(std::shared_ptr<AeInterface> ae)
    : ae(std::move(ae))
{
}

void AeFrame::readInputData(float* buffer, std::size_t bufferSize) const
{
    iterate(Direction::read, buffer, bufferSize);
}

void AeFrame::writeOutputData(const float* buffer, std::size_t bufferSize) const
{
    // A write only reads the buffer; iterate serves both directions.
    iterate(Direction::write, const_cast<float*>(buffer), bufferSize);
}

void AeFrame::writeOutputData(const std::array<float, 4>& colour) const
{
    checkWorld(ae->output, false);
    if (isDeep(ae->output))
    {
        write16BitOutputData(colour);
    }
    else
    {
        write8BitOutputData(colour);
    }
}

void AeFrame::iterate(Direction direction, float* buffer, std::size_t bufferSize) const
{
    assert(buffer);
    assert(bufferSize);
    const bool read = direction == Direction::read;
    PF_EffectWorld* input = read ? inputWorld(*ae) : nullptr;
    PF_EffectWorld* output = ae->output;
    if (read)
    {
        checkWorld(input, true);
    }
    checkWorld(output, false);
    const std::size_t pixels = static_cast<std::size_t>(output->width) * output->height;
    if (pixels > bufferSize / (4 * sizeof(float)))
    {
        throwTransferError("Reason: the float buffer is smaller than the output world\nBuffer: "
            + std::to_string(bufferSize) + " bytes\nOutput world: " + std::to_string(output->width)
            + " x " + std::to_string(output->height) + " pixels");
    }

    PF_EffectWorld* world = read ? input : output;
    const Transfer transfer { ae->inData, world, read, buffer, output->width, output->height,
        read ? (long { output->width } - input->width) / 2 : 0,
        read ? (long { output->height } - input->height) / 2 : 0 };
    const unsigned workerCount = AeFrameDetail::workerCount(std::thread::hardware_concurrency());
    const std::vector<AeFrameDetail::RowRange> ranges
        = AeFrameDetail::splitRows(world->height, workerCount);
    std::vector<WorkerResult> results(workerCount);
    const bool deep = isDeep(world);

    std::string startFailure;
    {
        Workers workers(workerCount);
        for (unsigned i = 0; i < workerCount; ++i)
        {
            try
            {
                workers.start(
                    [&transfer, range = ranges[i], &result = results[i], deep]
                    {
                        if (deep)
                        {
                            transferRows<PF_Pixel16>(transfer, range, result);
                        }
                        else
                        {
                            transferRows<PF_Pixel8>(transfer, range, result);
                        }
                    });
            }
            catch (const std::system_error& error)
            {
                startFailure = error.what();
                break;
            }
        }
    }
    if (!startFailure.empty())
    {
        throwTransferError(
            "Reason: a worker thread could not be started\nSystem error: " + startFailure);
    }
    for (const WorkerResult& result : results)
    {
        if (result.failed)
        {
            throwRowError(read, result.row, result.hostError);
        }
    }
}

namespace
{

template <typename Pixel> void fill(const AeInterface& ae, const std::array<float, 4>& colour)
{
    Pixel pixel {};
    AeFrameDetail::writeRow(colour.data(), &pixel, 1);
    PF_EffectWorld* world = ae.output;
    for (A_long y = 0; y < world->height; ++y)
    {
        PF_Err hostError = PF_Err_NONE;
        Pixel* row = pixelAddress<Pixel>(ae.inData, world, 0, y, hostError);
        if (!row)
        {
            throwRowError(false, y, hostError);
        }
        std::fill(row, row + world->width, pixel);
    }
}

} // namespace

void AeFrame::write8BitOutputData(const std::array<float, 4>& colour) const
{
    fill<PF_Pixel8>(*ae, colour);
}

void AeFrame::write16BitOutputData(const std::array<float, 4>& colour) const
{
    fill<PF_Pixel16>(*ae, colour);
}
