#include "AvahiQtPoll.h"

#include <QSocketNotifier>
#include <QTimer>

#include <climits>

// Avahi may free a watch or a timeout from inside its own callback: the notifiers and timers
// are then only disabled and deleted later, and nothing touches the freed object afterwards.

struct AvahiWatch {
    int fd;
    AvahiWatchEvent wanted;
    AvahiWatchEvent happened;
    AvahiWatchCallback callback;
    void *userdata;
    QSocketNotifier *read;
    QSocketNotifier *write;
};

struct AvahiTimeout {
    AvahiTimeoutCallback callback;
    void *userdata;
    QTimer *timer;
};

namespace {

void dispose(QObject *object)
{
    object->disconnect();
    object->deleteLater();
}

void fire(AvahiWatch *watch, AvahiWatchEvent event)
{
    watch->happened = event;
    // May free the watch.
    watch->callback(watch, watch->fd, event, watch->userdata);
}

void watchUpdate(AvahiWatch *watch, AvahiWatchEvent wanted)
{
    watch->wanted = wanted;
    watch->read->setEnabled(wanted & AVAHI_WATCH_IN);
    watch->write->setEnabled(wanted & AVAHI_WATCH_OUT);
}

AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent wanted, AvahiWatchCallback callback, void *userdata)
{
    auto *watch = new AvahiWatch{fd, wanted, AvahiWatchEvent(0), callback, userdata,
                                 new QSocketNotifier(fd, QSocketNotifier::Read),
                                 new QSocketNotifier(fd, QSocketNotifier::Write)};
    QObject::connect(watch->read, &QSocketNotifier::activated, [watch] { fire(watch, AVAHI_WATCH_IN); });
    QObject::connect(watch->write, &QSocketNotifier::activated, [watch] { fire(watch, AVAHI_WATCH_OUT); });
    watchUpdate(watch, wanted);
    return watch;
}

AvahiWatchEvent watchGetEvents(AvahiWatch *watch)
{
    return watch->happened;
}

void watchFree(AvahiWatch *watch)
{
    dispose(watch->read);
    dispose(watch->write);
    delete watch;
}

timeval now()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return tv;
}

void timeoutUpdate(AvahiTimeout *timeout, const timeval *when)
{
    if (!when) {
        timeout->timer->stop();
        return;
    }
    timeout->timer->start(AvahiQtPoll::millisecondsUntil(*when, now()));
}

AvahiTimeout *timeoutNew(const AvahiPoll *, const timeval *when, AvahiTimeoutCallback callback, void *userdata)
{
    auto *timeout = new AvahiTimeout{callback, userdata, new QTimer};
    timeout->timer->setSingleShot(true);
    // May free the timeout.
    QObject::connect(timeout->timer, &QTimer::timeout, [timeout] { timeout->callback(timeout, timeout->userdata); });
    timeoutUpdate(timeout, when);
    return timeout;
}

void timeoutFree(AvahiTimeout *timeout)
{
    timeout->timer->stop();
    dispose(timeout->timer);
    delete timeout;
}

} // namespace

AvahiQtPoll::AvahiQtPoll()
    : m_api{nullptr, watchNew, watchUpdate, watchGetEvents, watchFree, timeoutNew, timeoutUpdate, timeoutFree}
{
}

int AvahiQtPoll::millisecondsUntil(const timeval &when, const timeval &now)
{
    const long long micro = (long long)(when.tv_sec - now.tv_sec) * 1000000 + (when.tv_usec - now.tv_usec);
    if (micro <= 0)
        return 0;
    // Rounded up: a timer that fires early would find its time not yet reached.
    return int(std::min<long long>((micro + 999) / 1000, INT_MAX));
}
