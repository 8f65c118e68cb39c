// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace LensCorrect
{

/// A first-in-first-out hand-over between two threads that holds at most `capacity` items, so
/// that a fast producer waits instead of filling memory with frames. Closing it wakes both sides:
/// push then refuses, pop drains what is left and then returns nothing.
template <typename Item> class BoundedQueue
{
public:
    explicit BoundedQueue(size_t capacity)
        : capacity(capacity)
    {
    }

    /// Waits for room; false (the item dropped) when the queue is closed.
    bool push(Item item)
    {
        std::unique_lock<std::mutex> lock(mutex);
        notFull.wait(lock, [this] { return closed || items.size() < capacity; });
        if (closed)
        {
            return false;
        }
        items.push_back(std::move(item));
        notEmpty.notify_one();
        return true;
    }

    /// Waits for an item; nothing once the queue is closed and empty.
    std::optional<Item> pop()
    {
        std::unique_lock<std::mutex> lock(mutex);
        notEmpty.wait(lock, [this] { return closed || !items.empty(); });
        if (items.empty())
        {
            return std::nullopt;
        }
        Item item = std::move(items.front());
        items.pop_front();
        notFull.notify_one();
        return item;
    }

    void close()
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
        notEmpty.notify_all();
        notFull.notify_all();
    }

private:
    const size_t capacity;
    std::mutex mutex;
    std::condition_variable notEmpty;
    std::condition_variable notFull;
    std::deque<Item> items;
    bool closed = false;
};

} // namespace LensCorrect
