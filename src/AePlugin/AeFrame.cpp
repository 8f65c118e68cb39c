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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "AePlugin/AeFrameDetail.h"
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

template <typename Pixel> struct Channel;

template <> struct Channel<PF_Pixel8>
{
    static constexpr float scale = PF_MAX_CHAN8;
    using Value = A_u_char;
};

template <> struct Channel<PF_Pixel16>
{
    static constexpr float scale = PF_MAX_CHAN16;
    using Value = A_u_short;
};

/// min(v, 1) × scale, truncated; values below 0 and NaN become 0, since converting them to an
/// unsigned channel is undefined.
template <typename Pixel> inline typename Channel<Pixel>::Value toChannel(float value)
{
    float clamped = value > 0.0f ? value : 0.0f;
    clamped = clamped < 1.0f ? clamped : 1.0f;
    return static_cast<typename Channel<Pixel>::Value>(
        static_cast<int32_t>(clamped * Channel<Pixel>::scale));
}

// Rows are converted 4 (8-bit) or 2 (16-bit) pixels at a time with SSE2 where the processor
// has it, which the compiler does not do by itself for the channel reordering and the clamp.
// Every lane computes exactly what the scalar code below computes (IEEE division, min, max,
// truncation), so both paths give the same pixels; the scalar code finishes each row.

template <typename Pixel>
long readPixelsVectorised(const Pixel* source, float* destination, long count);
template <typename Pixel>
long writePixelsVectorised(const float* source, Pixel* destination, long count);

/// 8-bit channels are read through a table of the 256 quotients: a division per channel would
/// limit the transfer, and a multiplication by 1/255 differs from it in the last bit for half
/// of the values.
template <> long readPixelsVectorised(const PF_Pixel8* source, float* destination, long count)
{
    static const std::array<float, 256> quotients = []
    {
        std::array<float, 256> table {};
        for (std::size_t value = 0; value < table.size(); ++value)
        {
            table[value] = static_cast<float>(value) / Channel<PF_Pixel8>::scale;
        }
        return table;
    }();
    for (long x = 0; x < count; ++x)
    {
        destination[4 * x + 0] = quotients[source[x].red];
        destination[4 * x + 1] = quotients[source[x].green];
        destination[4 * x + 2] = quotients[source[x].blue];
        destination[4 * x + 3] = quotients[source[x].alpha];
    }
    return count;
}

#if defined(__SSE2__)

/// Float lanes alpha, red, green, blue of one pixel to red, green, blue, alpha.
inline __m128 toRgba(__m128i argb)
{
    const __m128 lanes = _mm_cvtepi32_ps(argb);
    return _mm_shuffle_ps(lanes, lanes, _MM_SHUFFLE(0, 3, 2, 1));
}

/// Red, green, blue, alpha floats to alpha, red, green, blue channel values: max with 0 first
/// (it returns its second operand, 0, for NaN), then min with 1, scale, truncate.
inline __m128i toArgb(const float* rgba, __m128 scale)
{
    const __m128 clamped
        = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(rgba), _mm_setzero_ps()), _mm_set1_ps(1.0f));
    const __m128i values = _mm_cvttps_epi32(_mm_mul_ps(clamped, scale));
    return _mm_shuffle_epi32(values, _MM_SHUFFLE(2, 1, 0, 3));
}

template <> long readPixelsVectorised(const PF_Pixel16* source, float* destination, long count)
{
    const __m128 scale = _mm_set1_ps(Channel<PF_Pixel16>::scale);
    const __m128i zero = _mm_setzero_si128();
    long x = 0;
    for (; x + 2 <= count; x += 2)
    {
        const __m128i shorts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        _mm_storeu_ps(
            destination + 4 * x, _mm_div_ps(toRgba(_mm_unpacklo_epi16(shorts, zero)), scale));
        _mm_storeu_ps(
            destination + 4 * x + 4, _mm_div_ps(toRgba(_mm_unpackhi_epi16(shorts, zero)), scale));
    }
    return x;
}

template <> long writePixelsVectorised(const float* source, PF_Pixel8* destination, long count)
{
    const __m128 scale = _mm_set1_ps(Channel<PF_Pixel8>::scale);
    long x = 0;
    for (; x + 4 <= count; x += 4)
    {
        const float* rgba = source + 4 * x;
        // Values are 0 to 255, so the saturating packs keep them unchanged.
        const __m128i low = _mm_packs_epi32(toArgb(rgba, scale), toArgb(rgba + 4, scale));
        const __m128i high = _mm_packs_epi32(toArgb(rgba + 8, scale), toArgb(rgba + 12, scale));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x), _mm_packus_epi16(low, high));
    }
    return x;
}

template <> long writePixelsVectorised(const float* source, PF_Pixel16* destination, long count)
{
    const __m128 scale = _mm_set1_ps(Channel<PF_Pixel16>::scale);
    // Values are 0 to 32768: shifted into the signed range for the saturating pack and back.
    const __m128i bias32 = _mm_set1_epi32(32768);
    const __m128i bias16 = _mm_set1_epi16(-32768);
    long x = 0;
    for (; x + 2 <= count; x += 2)
    {
        const float* rgba = source + 4 * x;
        const __m128i first = _mm_sub_epi32(toArgb(rgba, scale), bias32);
        const __m128i second = _mm_sub_epi32(toArgb(rgba + 4, scale), bias32);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + x),
            _mm_xor_si128(_mm_packs_epi32(first, second), bias16));
    }
    return x;
}

#else

template <typename Pixel> long readPixelsVectorised(const Pixel*, float*, long) { return 0; }

template <typename Pixel> long writePixelsVectorised(const float*, Pixel*, long) { return 0; }

#endif

template <typename Pixel>
void readRow(const Pixel* __restrict source, float* __restrict destination, long count)
{
    for (long x = readPixelsVectorised(source, destination, count); x < count; ++x)
    {
        destination[4 * x + 0] = static_cast<float>(source[x].red) / Channel<Pixel>::scale;
        destination[4 * x + 1] = static_cast<float>(source[x].green) / Channel<Pixel>::scale;
        destination[4 * x + 2] = static_cast<float>(source[x].blue) / Channel<Pixel>::scale;
        destination[4 * x + 3] = static_cast<float>(source[x].alpha) / Channel<Pixel>::scale;
    }
}

template <typename Pixel>
void writeRow(const float* __restrict source, Pixel* __restrict destination, long count)
{
    for (long x = writePixelsVectorised(source, destination, count); x < count; ++x)
    {
        destination[x].red = toChannel<Pixel>(source[4 * x + 0]);
        destination[x].green = toChannel<Pixel>(source[4 * x + 1]);
        destination[x].blue = toChannel<Pixel>(source[4 * x + 2]);
        destination[x].alpha = toChannel<Pixel>(source[4 * x + 3]);
    }
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
            readRow(row + columnBegin, floats, columnEnd - columnBegin);
        }
        else
        {
            writeRow(floats, row, width);
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
    pixel.red = toChannel<Pixel>(colour[0]);
    pixel.green = toChannel<Pixel>(colour[1]);
    pixel.blue = toChannel<Pixel>(colour[2]);
    pixel.alpha = toChannel<Pixel>(colour[3]);
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
