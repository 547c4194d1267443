#include "ScreenCatalog.h"

#include "selection/ABEntriesViewController.h"
#include "shell/ScreenRegistry.h"

void ScreenCatalog::registerAll()
{
    // One line per screen class: ScreenRegistry::registerFactory(Number, [] { return new Class; });
    ScreenRegistry::registerFactory(ABEntriesScreen, [] { return new ABEntriesViewController; });
}
