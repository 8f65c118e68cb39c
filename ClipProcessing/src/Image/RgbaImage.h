// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "Common/FrameGeometry.h"

namespace LensCorrect
{

/// Memory of a frame-sized buffer: mapped by itself, away from the heap that the decoders,
/// encoders and OpenCL runtime allocate from on every frame, so that buffers kept from frame to
/// frame do not fragment it. Throws std::bad_alloc.
void* mapFrameMemory(size_t bytes);
void unmapFrameMemory(void* memory, size_t bytes);
/// Buffers from this many bytes on are mapped (a 720p float RGBA frame takes 14 MiB).
constexpr size_t mappedFrameBytes = size_t(8) << 20;

/// An allocator whose vectors leave new elements uninitialised when no value is given, so that
/// a buffer that is written whole anyway is not zero-filled first, and that maps frame-sized
/// ones.
template <typename T> struct DefaultInitialisingAllocator : std::allocator<T>
{
    template <typename U> struct rebind
    {
        using other = DefaultInitialisingAllocator<U>;
    };
    DefaultInitialisingAllocator() = default;
    template <typename U> DefaultInitialisingAllocator(const DefaultInitialisingAllocator<U>&) { }

    T* allocate(size_t count)
    {
        if (count * sizeof(T) >= mappedFrameBytes)
        {
            return static_cast<T*>(mapFrameMemory(count * sizeof(T)));
        }
        return std::allocator<T>::allocate(count);
    }
    void deallocate(T* memory, size_t count)
    {
        if (count * sizeof(T) >= mappedFrameBytes)
        {
            unmapFrameMemory(memory, count * sizeof(T));
            return;
        }
        std::allocator<T>::deallocate(memory, count);
    }

    template <typename U>
    void construct(U* pointer) noexcept(std::is_nothrow_default_constructible_v<U>)
    {
        ::new (static_cast<void*>(pointer)) U;
    }
    template <typename U, typename... Arguments>
    void construct(U* pointer, Arguments&&... arguments)
    {
        ::new (static_cast<void*>(pointer)) U(std::forward<Arguments>(arguments)...);
    }
};

/// A frame as the library takes it: interleaved red, green, blue, alpha floats, rows without
/// gaps.
struct RgbaImage
{
    using Pixels = std::vector<float, DefaultInitialisingAllocator<float>>;
    struct Uninitialised
    {
    };

    RgbaImage() = default;
    /// All zeros.
    explicit RgbaImage(Size size)
        : size(size)
        , pixels(size.pixels() * 4, 0.0f)
    {
    }
    /// For pixels that are all written before they are read.
    RgbaImage(Size size, Uninitialised)
        : size(size)
        , pixels(size.pixels() * 4)
    {
    }

    float* pixel(uint32_t x, uint32_t y) { return &pixels[(size_t(y) * size.width + x) * 4]; }
    const float* pixel(uint32_t x, uint32_t y) const
    {
        return &pixels[(size_t(y) * size.width + x) * 4];
    }
    size_t bytes() const { return pixels.size() * sizeof(float); }

    Size size;
    Pixels pixels;
};

/// An image of `size` holding `image` with its top left corner at `offset`, in zeros; or, when
/// `size` is smaller in both directions, the part of `image` whose top left corner is at
/// `offset`. Throws Failure when it is neither or the offset leaves no room.
RgbaImage placedCopy(const RgbaImage& image, Size size, Size offset);
/// The same for RGBA pixels of `imageSize` that the caller keeps, into `into`'s memory when it
/// is given (its pixels are overwritten, whatever their size).
RgbaImage placedCopy(
    const float* image, Size imageSize, Size size, Size offset, RgbaImage into = {});
/// Zeros every pixel of `image` outside the window of `inside` at `offset`.
void zeroOutside(RgbaImage& image, Size inside, Size offset);

/// Makes `image` the centre of a larger frame of `size` in its own memory (zeros around it), where
/// its buffer holds that frame; false, and `image` untouched, where it does not.
bool centreInPlace(RgbaImage& image, Size size);

/// placedCopy with the smaller image centred in the larger.
RgbaImage centredCopy(const RgbaImage& image, Size size);
RgbaImage centredCopy(const float* image, Size imageSize, Size size, RgbaImage into = {});

} // namespace LensCorrect
