#pragma once

#include <functional>

class ScreenController;

// One live instance per screen number, created on first use and released when the screen
// disappears (the main menu never is). Screen classes register a factory for their number
// (see screens/ScreenCatalog).
namespace ScreenRegistry {
using Factory = std::function<ScreenController *()>;

void registerFactory(int screenNumber, Factory factory);

// The live screen with that number, created if needed; none (and the log line
// "%s COULD NOT CREATE %d") for a number without a factory.
ScreenController *getViewController(int screenNumber);
bool isViewControllerLoaded(int screenNumber);
// The registry index of a screen, -1 when it is not registered.
int getViewControllerIndex(const ScreenController *screen);
// Removes the screen from the registry and deletes it later; nothing when it is not there.
void releaseViewController(ScreenController *screen);
// Adds an existing screen (the main menu at launch).
void registerViewController(ScreenController *screen);
// Releases every screen (end of the program; tests).
void clear();
}

// Typed access: the live screen of a number as its class.
template <typename T>
T *getScreen(int screenNumber)
{
    return static_cast<T *>(ScreenRegistry::getViewController(screenNumber));
}
