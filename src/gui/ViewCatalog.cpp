#include "ViewCatalog.h"

#include "ABEntriesView.h"
#include "ABGroupEntriesView.h"
#include "ABGroupsView.h"
#include "BTTransferView.h"
#include "DuplicateSearchView.h"
#include "MergeView.h"
#include "CSVHeaderView.h"
#include "FileChooserView.h"
#include "ExportFileView.h"
#include "FiltersView.h"
#include "LanguageView.h"
#include "MainMenuView.h"
#include "QRCodeView.h"
#include "SettingsView.h"
#include "ViewFactory.h"
#include "WebPageView.h"
#include "groups/ABGroupEntriesViewController.h"
#include "groups/ABGroupsViewController.h"
#include "importing/CSVHeaderViewController.h"
#include "merge/DuplicateSearchViewController.h"
#include "merge/MergeViewController.h"
#include "importing/FileChooserViewController.h"
#include "qr/QRCodeViewController.h"
#include "selection/ABEntriesViewController.h"
#include "exporting/ExportFileViewController.h"
#include "shell/ImpExpFiltersViewController.h"
#include "shell/LanguageViewController.h"
#include "shell/MainViewController.h"
#include "shell/SettingsViewController.h"
#include "shell/WebViewController.h"
#include "transfer/BTTransferScreen.h"

void ViewCatalog::registerAll()
{
    // One line per view: ViewFactory::registerViewClass<View, Controller>(ScreenNumber);
    ViewFactory::registerViewClass<MainMenuView, MainViewController>(MainScreen);
    ViewFactory::registerViewClass<WebPageView, WebViewController>(WebScreen);
    ViewFactory::registerViewClass<ExportFileView, ExportFileViewController>(ExportFileScreen);
    ViewFactory::registerViewClass<SettingsView, SettingsViewController>(SettingsScreen);
    ViewFactory::registerViewClass<FiltersView, ImpExpFiltersViewController>(ImpExpFiltersScreen);
    ViewFactory::registerViewClass<LanguageView, LanguageViewController>(LanguageScreen);
    ViewFactory::registerViewClass<ABEntriesView, ABEntriesViewController>(ABEntriesScreen);
    ViewFactory::registerViewClass<CSVHeaderView, CSVHeaderViewController>(CSVHeaderScreen);
    ViewFactory::registerViewClass<FileChooserView, FileChooserViewController>(FileChooserScreen);
    ViewFactory::registerViewClass<QRCodeView, QRCodeViewController>(QRCodeScreen);
    ViewFactory::registerViewClass<DuplicateSearchView, DuplicateSearchViewController>(DuplicateSearchScreen);
    ViewFactory::registerViewClass<MergeView, MergeViewController>(MergeScreen);
    ViewFactory::registerViewClass<ABGroupsView, ABGroupsViewController>(ABGroupsScreen);
    ViewFactory::registerViewClass<ABGroupEntriesView, ABGroupEntriesViewController>(ABGroupEntriesScreen);
    ViewFactory::registerViewClass<BTTransferView, BTTransferScreen>(BTcliScreen);
    ViewFactory::registerViewClass<BTTransferView, BTTransferScreen>(BTsrvScreen);
}
