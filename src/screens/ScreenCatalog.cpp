#include "ScreenCatalog.h"

#include "shell/ImpExpFiltersViewController.h"
#include "shell/LanguageViewController.h"
#include "shell/ScreenRegistry.h"
#include "shell/SettingsViewController.h"
#include "shell/WebViewController.h"

void ScreenCatalog::registerAll()
{
    // One line per screen class: ScreenRegistry::registerFactory(Number, [] { return new Class; });
    // The main menu (1) is made and registered by the launch itself.
    ScreenRegistry::registerFactory(WebScreen, [] { return new WebViewController; });
    ScreenRegistry::registerFactory(SettingsScreen, [] { return new SettingsViewController; });
    ScreenRegistry::registerFactory(ImpExpFiltersScreen, [] { return new ImpExpFiltersViewController; });
    ScreenRegistry::registerFactory(LanguageScreen, [] { return new LanguageViewController; });
}
