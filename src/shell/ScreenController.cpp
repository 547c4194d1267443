#include "ScreenController.h"

#include "MainThread.h"
#include "Operations.h"
#include "ScreenRegistry.h"
#include "UiHost.h"

#include <QPointer>

namespace {
// Tells the host when the first screen takes the window lock or the last one gives it back.
void lockWindow(bool locked)
{
    Operations &operations = Operations::instance();
    const bool wasLocked = operations.lockedScreens() > 0;
    operations.screenLocked(locked);
    const bool isLocked = operations.lockedScreens() > 0;
    if (wasLocked == isLocked)
        return;
    if (UiHost *host = UiHost::current())
        host->setLocked(isLocked);
}
}

ScreenController::ScreenController(int screenNumber, QObject *parent) : QObject(parent), m_screenNumber(screenNumber) {}

ScreenController::~ScreenController()
{
    if (m_locked)
        lockWindow(false);
}

void ScreenController::viewDidAppear()
{
    bCanRelease = true;
}

void ScreenController::viewDidDisappear()
{
    if (bCanRelease && m_screenNumber != MainScreen)
        ScreenRegistry::releaseViewController(this);
}

void ScreenController::setLocked(bool locked)
{
    if (m_locked == locked)
        return;
    m_locked = locked;
    lockWindow(locked);
    Q_EMIT lockedChanged(locked);
}

void ScreenController::runOnWorker(std::function<void()> work, std::function<void()> done)
{
    ++m_workers;
    QPointer<ScreenController> self(this);
    MainThread::runOnWorker(std::move(work), [self, done = std::move(done)] {
        if (!self)
            return;
        if (done)
            done();
        if (--self->m_workers == 0 && self->m_deleteWhenIdle)
            self->deleteLater();
    });
}

void ScreenController::deleteWhenIdle()
{
    if (m_workers > 0) {
        m_deleteWhenIdle = true;
        return;
    }
    deleteLater();
}

void ScreenController::pushChild(ScreenController *child)
{
    if (!child)
        return;
    bCanRelease = false;
    if (UiHost *host = UiHost::current())
        host->push(child);
}
