#include "Threads.h"

#include <cerrno>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

void Threads::yieldToCaller()
{
    // On Linux a thread's nice value is its own: this leaves the rest of the process alone. Only
    // ever raised, which needs no privilege; should it fail, the thread runs as before.
    constexpr int kNiceSteps = 5;
    const pid_t thread = pid_t(syscall(SYS_gettid));
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0)
        setpriority(PRIO_PROCESS, id_t(thread), nice + kNiceSteps);
}
