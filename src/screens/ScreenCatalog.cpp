#include "ScreenCatalog.h"

#include "importing/CSVHeaderViewController.h"
#include "shell/ScreenRegistry.h"

void ScreenCatalog::registerAll()
{
    // One line per screen class: ScreenRegistry::registerFactory(Number, [] { return new Class; });
    ScreenRegistry::registerFactory(CSVHeaderScreen, [] { return new CSVHeaderViewController; });
}
