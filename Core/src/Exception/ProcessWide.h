// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cassert>
#include <memory>
#include <mutex>
#include <utility>

/// A process-wide object of the library: created once, on first need, and never destroyed.
///
/// Every copy of the library in a process (each plug-in links its own, and a host may unload a
/// plug-in and load it again) keeps such objects until the process ends. No destructor of
/// them runs at exit or at unload, whatever the order in which the OpenCL runtime, its loader
/// and the C++ runtime are torn down; the operating system takes the memory back.
///
/// Declare at namespace scope: the holder is constant-initialised and trivially destructible,
/// so it has no constructor or destructor of its own either.
template <typename T> class ProcessWide
{
public:
    constexpr ProcessWide() = default;
    ProcessWide(const ProcessWide&) = delete;
    ProcessWide& operator=(const ProcessWide&) = delete;

    /// The object, made by `make` (returning std::unique_ptr<T>) on the first call of the
    /// process. Thread-safe; a failed `make` leaves it to the next call.
    template <typename Make> T& once(Make make)
    {
        std::call_once(flag, [&] { object = make().release(); });
        return *object;
    }

    /// For objects whose creation the caller guards with a lock of its own and retries after a
    /// failure (the renderers): the object, or null before `create`.
    T* get() const { return object; }

    /// Stores the object made by `make`; only when there is none yet.
    template <typename Make> T& create(Make make)
    {
        assert(!object);
        object = make().release();
        return *object;
    }

private:
    std::once_flag flag;
    T* object = nullptr;
};
