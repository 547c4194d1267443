#include "ScreenRegistry.h"

#include "ScreenController.h"
#include "platform/DevLog.h"

#include <QHash>
#include <QList>

namespace {
// The highest screen number the registry makes.
constexpr int kHighestScreen = GDLoginScreen;

QHash<int, ScreenRegistry::Factory> &factories()
{
    static QHash<int, ScreenRegistry::Factory> table;
    return table;
}

QList<ScreenController *> &live()
{
    static QList<ScreenController *> screens = [] {
        QList<ScreenController *> list;
        list.reserve(8);
        return list;
    }();
    return screens;
}
}

void ScreenRegistry::registerFactory(int screenNumber, Factory factory)
{
    factories().insert(screenNumber, std::move(factory));
}

ScreenController *ScreenRegistry::getViewController(int screenNumber)
{
    for (ScreenController *screen : live()) {
        if (screen->screenNumber() == screenNumber)
            return screen;
    }
    auto factory = factories().find(screenNumber);
    if (screenNumber < 2 || screenNumber > kHighestScreen || factory == factories().end()) {
        DevLog::log(QStringLiteral("getViewController COULD NOT CREATE %1").arg(screenNumber));
        return nullptr;
    }
    ScreenController *screen = (*factory)();
    live().append(screen);
    return screen;
}

bool ScreenRegistry::isViewControllerLoaded(int screenNumber)
{
    for (ScreenController *screen : live()) {
        if (screen->screenNumber() == screenNumber)
            return true;
    }
    return false;
}

int ScreenRegistry::getViewControllerIndex(const ScreenController *screen)
{
    return int(live().indexOf(const_cast<ScreenController *>(screen)));
}

void ScreenRegistry::releaseViewController(ScreenController *screen)
{
    if (live().removeOne(screen))
        screen->deleteWhenIdle();
}

void ScreenRegistry::registerViewController(ScreenController *screen)
{
    if (!live().contains(screen))
        live().append(screen);
}

void ScreenRegistry::clear()
{
    for (ScreenController *screen : live())
        screen->deleteWhenIdle();
    live().clear();
}
