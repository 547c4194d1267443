#include "ScreenController.h"

#include "ScreenRegistry.h"
#include "UiHost.h"

ScreenController::ScreenController(int screenNumber, QObject *parent) : QObject(parent), m_screenNumber(screenNumber) {}

ScreenController::~ScreenController() = default;

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
    if (UiHost *host = UiHost::current())
        host->setLocked(locked);
    Q_EMIT lockedChanged(locked);
}

void ScreenController::pushChild(ScreenController *child)
{
    if (!child)
        return;
    bCanRelease = false;
    if (UiHost *host = UiHost::current())
        host->push(child);
}
