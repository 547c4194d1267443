#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "Threads.h"

// Works on batches on helper threads while the caller prepares the next ones, and hands the
// results back to the caller, on its own thread, in the order the batches were put in. Only a
// few batches are ever in the pipeline: put() delivers the oldest results before it takes more.
// With no helpers, put() does the work and delivers at once.
//
// A batch is let go on the caller's thread, after its result is delivered: what the caller
// allocated is freed where it was allocated, which costs an allocator far less than a free
// from another thread. A line the work logs may come out before lines the caller logs about
// earlier batches.
template <typename In, typename Out>
class OrderedBatches {
public:
    using Work = std::function<Out(const In &)>;
    using Deliver = std::function<void(Out &&)>;

    // A helper for each core, at most two (the caller's own work keeps a core busy too); none on
    // a single core, where they could only take turns with the caller.
    OrderedBatches(Work work, Deliver deliver) : OrderedBatches(helpersForCores(), std::move(work), std::move(deliver)) {}

    OrderedBatches(int helpers, Work work, Deliver deliver)
        : m_work(std::move(work)), m_deliver(std::move(deliver)), m_most(size_t(2 * helpers + 2))
    {
        // Where no thread can be had, the helpers there are do the work, or the caller alone.
        for (int i = 0; i < helpers; ++i) {
            std::thread helper = Threads::startIfPossible([this] { serve(); });
            if (!helper.joinable())
                break;
            m_helpers.push_back(std::move(helper));
        }
    }

    // Batches not finished are dropped.
    ~OrderedBatches()
    {
        {
            std::lock_guard lock(m_mutex);
            m_closing = true;
        }
        m_waiting.notify_all();
        for (std::thread &helper : m_helpers)
            helper.join();
    }

    OrderedBatches(const OrderedBatches &) = delete;
    OrderedBatches &operator=(const OrderedBatches &) = delete;

    void put(In batch)
    {
        if (m_helpers.empty()) {
            m_deliver(m_work(batch));
            return;
        }
        while (m_slots.size() >= m_most)
            deliverOldest();
        {
            std::lock_guard lock(m_mutex);
            m_slots.push_back(Slot{std::move(batch), std::nullopt, false});
        }
        m_waiting.notify_one();
    }

    // Delivers every batch still in the pipeline.
    void finish()
    {
        while (!m_slots.empty())
            deliverOldest();
    }

private:
    static int helpersForCores()
    {
        const int cores = int(std::thread::hardware_concurrency());
        return cores > 1 ? std::min(cores, 2) : 0;
    }

    struct Slot {
        In input;
        std::optional<Out> output;
        bool started = false;
    };

    // Only the caller adds and removes slots; a helper keeps its slot's address while it works
    // unlocked, which adding at the back of a deque leaves valid, and a slot is removed only
    // once its output is in. Past that, helpers read only its `started`.
    Slot *nextToStart()
    {
        for (Slot &slot : m_slots) {
            if (!slot.started)
                return &slot;
        }
        return nullptr;
    }

    void serve()
    {
        Threads::yieldToCaller();
        std::unique_lock lock(m_mutex);
        for (;;) {
            Slot *slot = nullptr;
            m_waiting.wait(lock, [&] { return m_closing || (slot = nextToStart()) != nullptr; });
            if (m_closing)
                return;
            slot->started = true;
            lock.unlock();
            Out output = m_work(slot->input);
            lock.lock();
            slot->output = std::move(output);
            m_done.notify_all();
        }
    }

    void deliverOldest()
    {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_slots.front().output.has_value(); });
        // A slot whose output is in is the caller's: helpers only read its `started`.
        Slot &oldest = m_slots.front();
        lock.unlock();
        m_deliver(std::move(*oldest.output));
        // The batch is let go here, after the lock.
        [[maybe_unused]] const In done = std::move(oldest.input);
        lock.lock();
        m_slots.pop_front();
    }

    Work m_work;
    Deliver m_deliver;
    size_t m_most; // batches in the pipeline at once
    std::mutex m_mutex;
    std::condition_variable m_waiting; // helpers, for a batch to start
    std::condition_variable m_done;    // the caller, for the oldest batch's result
    std::deque<Slot> m_slots;
    bool m_closing = false;
    std::vector<std::thread> m_helpers;
};
