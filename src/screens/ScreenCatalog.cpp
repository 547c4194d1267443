#include "ScreenCatalog.h"

#include "shell/ScreenRegistry.h"

void ScreenCatalog::registerAll()
{
    // One line per screen class: ScreenRegistry::registerFactory(Number, [] { return new Class; });
}
