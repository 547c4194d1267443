#include "Operations.h"

#include <QEventLoop>
#include <QTimer>

Operations &Operations::instance()
{
    static Operations operations;
    return operations;
}

void Operations::workerStarted()
{
    ++m_workers;
}

void Operations::workerEnded()
{
    if (m_workers > 0)
        --m_workers;
    if (m_workers == 0)
        Q_EMIT workersEnded();
    notifyWhenIdle();
}

void Operations::screenLocked(bool locked)
{
    m_lockedScreens += locked ? 1 : -1;
    if (m_lockedScreens < 0)
        m_lockedScreens = 0;
    notifyWhenIdle();
}

void Operations::notifyWhenIdle()
{
    if (busy() || m_idleQueued)
        return;
    // An operation often ends by starting the next step (a reload locks the screen again at
    // once); only a state that is still idle when the event loop comes back counts.
    m_idleQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_idleQueued = false;
        if (!busy())
            Q_EMIT idle();
    });
}

void Operations::waitForWorkers()
{
    if (m_workers == 0)
        return;
    QEventLoop loop;
    connect(this, &Operations::workersEnded, &loop, &QEventLoop::quit);
    loop.exec();
}
