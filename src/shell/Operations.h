#pragma once

#include <QObject>

// What runs right now: worker threads started through MainThread::runOnWorker and screens that
// hold the window lock. Main thread only. Files handed in from outside wait until nothing runs,
// so no second operation starts beside one, and the window is not closed under a worker.
class Operations : public QObject {
    Q_OBJECT
public:
    static Operations &instance();

    int runningWorkers() const { return m_workers; }
    int lockedScreens() const { return m_lockedScreens; }
    // A worker runs or a screen holds the window lock.
    bool busy() const { return m_workers > 0 || m_lockedScreens > 0; }

    // Runs the event loop until no worker runs any more (the end of the program).
    void waitForWorkers();

    // Bookkeeping of MainThread::runOnWorker and ScreenController::setLocked.
    void workerStarted();
    void workerEnded();
    void screenLocked(bool locked);

Q_SIGNALS:
    // Nothing runs any more; sent from the event loop, after the last operation's own end.
    void idle();
    // The last running worker ended (its `done` has run).
    void workersEnded();

private:
    void notifyWhenIdle();

    int m_workers = 0;
    int m_lockedScreens = 0;
    bool m_idleQueued = false;
};
