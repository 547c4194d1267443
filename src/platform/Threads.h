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

// Lowers the calling thread's priority a little. A helper that serves a thread which hands it
// work and takes its results in order calls it: where helpers and that thread outnumber the
// cores, the scheduler then lets the one thread all the others wait for run first.
void yieldToCaller();

} // namespace Threads
