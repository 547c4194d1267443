#pragma once

#include <system_error>
#include <thread>

namespace Threads {

// A thread running a copy of `work`; where no thread can be had (a process limit reached), a
// thread object that runs nothing (not joinable), and the caller does the work itself: `work`
// is still whole.
template <typename Work>
std::thread startIfPossible(const Work &work)
{
    try {
        return std::thread(work);
    } catch (const std::system_error &) {
        return std::thread();
    }
}

// Runs `first` on the calling thread and `second` on a thread of its own at the same time, or
// after `first` where no thread can be had; returns when both are done. `second` runs on a
// copy, so what it writes goes through what it captured by reference.
template <typename First, typename Second>
void bothAtOnce(const First &first, const Second &second)
{
    std::thread helper = startIfPossible(second);
    first();
    if (helper.joinable())
        helper.join();
    else
        second();
}

// Lowers the calling thread's priority a little. A helper that serves a thread which hands it
// work and takes its results in order calls it: where helpers and that thread outnumber the
// cores, the scheduler then lets the one thread all the others wait for run first.
void yieldToCaller();

} // namespace Threads
