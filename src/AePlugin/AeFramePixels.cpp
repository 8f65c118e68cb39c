// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "AePlugin/AeFramePixels.h"

#include <array>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

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
void readRowOf(const Pixel* __restrict source, float* __restrict destination, long count)
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
void writeRowOf(const float* __restrict source, Pixel* __restrict destination, long count)
{
    for (long x = writePixelsVectorised(source, destination, count); x < count; ++x)
    {
        destination[x].red = toChannel<Pixel>(source[4 * x + 0]);
        destination[x].green = toChannel<Pixel>(source[4 * x + 1]);
        destination[x].blue = toChannel<Pixel>(source[4 * x + 2]);
        destination[x].alpha = toChannel<Pixel>(source[4 * x + 3]);
    }
}

} // namespace

namespace AeFrameDetail
{

void readRow(const PF_Pixel8* source, float* destination, long count)
{
    readRowOf(source, destination, count);
}

void readRow(const PF_Pixel16* source, float* destination, long count)
{
    readRowOf(source, destination, count);
}

void writeRow(const float* source, PF_Pixel8* destination, long count)
{
    writeRowOf(source, destination, count);
}

void writeRow(const float* source, PF_Pixel16* destination, long count)
{
    writeRowOf(source, destination, count);
}

} // namespace AeFrameDetail
