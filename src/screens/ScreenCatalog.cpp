#include "ScreenCatalog.h"

#include "cloud/CloudAccounts.h"
#include "cloud/GDLoginController.h"
#include "exporting/ExportFileViewController.h"
#include "google/GCSession.h"
#include "google/GoogleAccount.h"
#include "groups/ABGroupEntriesViewController.h"
#include "groups/ABGroupsViewController.h"
#include "importing/CSVHeaderViewController.h"
#include "importing/FileChooserViewController.h"
#include "qr/QRCodeViewController.h"
#include "merge/DuplicateSearchViewController.h"
#include "merge/MergeViewController.h"
#include "numbers/CarrierViewController.h"
#include "numbers/FormatNumberViewController.h"
#include "numbers/RulesChooserViewController.h"
#include "selection/ABEntriesViewController.h"
#include "shell/ImpExpFiltersViewController.h"
#include "shell/LanguageViewController.h"
#include "shell/ScreenRegistry.h"
#include "shell/SettingsViewController.h"
#include "shell/WebViewController.h"
#include "transfer/FTChooserViewControler.h"
#include "transfer/HttpSrvViewController.h"
#include "transfer/SendFileViewController.h"
#include "transfer/BTcliViewController.h"
#include "transfer/BTsrvViewController.h"

void ScreenCatalog::registerAll()
{
    CloudAccounts::installHooks();
    // The main menu (1) is made and registered by the launch itself.
    ScreenRegistry::registerFactory(WebScreen, [] { return new WebViewController; });
    ScreenRegistry::registerFactory(FileChooserScreen, [] { return new FileChooserViewController; });
    ScreenRegistry::registerFactory(ABEntriesScreen, [] {
        auto *list = new ABEntriesViewController;
        list->setGoogleSession(&GCSession::sharedSession());
        return list;
    });
    ScreenRegistry::registerFactory(ExportFileScreen, [] { return new ExportFileViewController; });
    ScreenRegistry::registerFactory(SettingsScreen, [] { return new SettingsViewController; });
    ScreenRegistry::registerFactory(CSVHeaderScreen, [] { return new CSVHeaderViewController; });
    ScreenRegistry::registerFactory(ImpExpFiltersScreen, [] { return new ImpExpFiltersViewController; });
    ScreenRegistry::registerFactory(LanguageScreen, [] { return new LanguageViewController; });
    ScreenRegistry::registerFactory(QRCodeScreen, [] { return new QRCodeViewController; });
    ScreenRegistry::registerFactory(DuplicateSearchScreen, [] { return new DuplicateSearchViewController; });
    ScreenRegistry::registerFactory(MergeScreen, [] { return new MergeViewController; });
    ScreenRegistry::registerFactory(ABGroupsScreen, [] { return new ABGroupsViewController; });
    ScreenRegistry::registerFactory(GDLoginScreen, [] { return new GDLoginController; });
    ScreenRegistry::registerFactory(ABGroupEntriesScreen, [] { return new ABGroupEntriesViewController; });
    ScreenRegistry::registerFactory(CarrierScreen, [] { return new CarrierViewController; });
    ScreenRegistry::registerFactory(FormatNumberScreen, [] { return new FormatNumberViewController; });
    ScreenRegistry::registerFactory(RulesChooserScreen, [] { return new RulesChooserViewController; });
    GoogleAccount::install();
    ScreenRegistry::registerFactory(FTChooserScreen, [] { return new FTChooserViewControler; });
    ScreenRegistry::registerFactory(SendFileScreen, [] { return new SendFileViewController; });
    ScreenRegistry::registerFactory(HttpSrvScreen, [] { return new HttpSrvViewController; });
    ScreenRegistry::registerFactory(BTcliScreen, [] { return new BTcliViewController; });
    ScreenRegistry::registerFactory(BTsrvScreen, [] { return new BTsrvViewController; });
}
