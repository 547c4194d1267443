#pragma once

#include <avahi-common/watch.h>

// Runs the Avahi client library on the Qt event loop: its file descriptor watches become
// socket notifiers and its timeouts single-shot timers, all on the thread that made this
// object. Free every Avahi object that uses it before this object goes.
class AvahiQtPoll {
public:
    AvahiQtPoll();
    AvahiQtPoll(const AvahiQtPoll &) = delete;
    AvahiQtPoll &operator=(const AvahiQtPoll &) = delete;

    const AvahiPoll *api() const { return &m_api; }

    // Milliseconds from `now` until the absolute time `when`; 0 when it has passed.
    static int millisecondsUntil(const timeval &when, const timeval &now);

private:
    AvahiPoll m_api;
};
