#include "MainViewController.h"

#include "AccountHooks.h"
#include "AppData.h"
#include "Documents.h"
#include "FLog.h"
#include "ScreenInterfaces.h"
#include "ScreenRegistry.h"
#include "UiHost.h"
#include "addressbook/ABAddressBook.h"
#include "addressbook/ABConstants.h"
#include "addressbook/ABSources.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"

#include <QFile>
#include <QFileInfo>
#include <QSemaphore>

#include <atomic>

namespace {
std::atomic<bool> g_printingAvailable{true};

template <typename Interface>
Interface *screenAs(ScreenController *screen, const char *what)
{
    auto *typed = dynamic_cast<Interface *>(screen);
    if (screen && !typed)
        DevLog::log(QStringLiteral("screen %1 does not offer %2").arg(screen->screenNumber()).arg(QLatin1String(what)));
    return typed;
}
}

MainViewController::MainViewController(QObject *parent) : ScreenController(MainScreen, parent)
{
    m_selectedSourceLabel = L("KSourceAll");
    reloadMenu();
}

void MainViewController::setPrintingAvailable(bool available)
{
    g_printingAvailable = available;
}

bool MainViewController::printingAvailable()
{
    return g_printingAvailable;
}

void MainViewController::reloadMenu()
{
    QList<MenuRow> tools{{RowExport, L("KExportContacts")},  {RowImport, L("KImportContacts")},
                         {RowMerge, L("Kmergecontacts1")},   {RowFileTransfer, L("KFileTransfer")},
                         {RowBarcode, L("KCreateBarcode")}};
    if (printingAvailable())
        tools.append({RowPrint, L("KPrintContacts")});
    m_sections = {tools,
                  {{RowChangeNumbers, L("KChangePhoneNumbers")}, {RowFormatNumbers, L("KFormatPhoneNumbers")}},
                  {{RowManageGroups, L("KManageGroups")}}};
    if (AppData::sharedInstance().enableGmail())
        m_sections.append({{RowGoogleUp, L("KGoogleContactsUp")}, {RowGoogleDown, L("KGoogleContactsDown")}});
    m_sections.append({{RowSettings, L("KSettings")}});
    Q_EMIT changed();
}

void MainViewController::viewWillAppear()
{
    reloadMenu();
}

void MainViewController::selectRow(int tag)
{
    switch (tag) {
    case RowExport:
        openSelectionList(0);
        break;
    case RowBarcode:
        openSelectionList(1);
        break;
    case RowPrint:
        openSelectionList(2);
        break;
    case RowImport:
        if (ScreenController *screen = ScreenRegistry::getViewController(FileChooserScreen)) {
            pushChild(screen);
            if (auto *chooser = screenAs<FileChooserInterface>(screen, "loadFiles"))
                chooser->loadFiles(0);
        }
        break;
    case RowMerge:
        pushChild(ScreenRegistry::getViewController(DuplicateSearchScreen));
        break;
    case RowFileTransfer:
        pushChild(ScreenRegistry::getViewController(FTChooserScreen));
        break;
    case RowChangeNumbers:
        pushChild(ScreenRegistry::getViewController(CarrierScreen));
        break;
    case RowFormatNumbers:
        pushChild(ScreenRegistry::getViewController(FormatNumberScreen));
        break;
    case RowManageGroups:
        openGroups();
        break;
    case RowGoogleUp:
        googleFlow(4);
        break;
    case RowGoogleDown:
        googleFlow(3);
        break;
    case RowSettings:
        pushChild(ScreenRegistry::getViewController(SettingsScreen));
        break;
    default:
        break;
    }
    // The view clears the row selection after every action.
    Q_EMIT changed();
}

void MainViewController::openSelectionList(int mode)
{
    ScreenController *screen = ScreenRegistry::getViewController(ABEntriesScreen);
    if (!screen)
        return;
    if (auto *list = screenAs<SelectionListInterface>(screen, "setMode"))
        list->setMode(mode);
    pushChild(screen);
}

void MainViewController::openGroups()
{
    if (ABSources::selectedSourceIsExchange()) {
        showInfo(L("KExchangeNotSupported"));
        return;
    }
    ScreenController *screen = ScreenRegistry::getViewController(ABGroupsScreen);
    if (!screen)
        return;
    pushChild(screen);
    if (auto *groups = screenAs<GroupListInterface>(screen, "loadGroups"))
        groups->loadGroups();
}

void MainViewController::googleFlow(int mode)
{
    gmailmode = mode;
    AccountHooks::withGoogleAccount("googleFlow", this, [this] { openSelectionList(gmailmode); });
}

bool MainViewController::sourceButtonVisible() const
{
    return AppData::sharedInstance().sourcesEnabled() != 0;
}

QString MainViewController::sourcePopupTitle() const
{
    return L("KSelectSource");
}

QList<MainViewController::SourceChoice> MainViewController::sourceChoices() const
{
    QList<SourceChoice> choices;
    for (int row = 0; row < ABSources::choiceCount(); ++row) {
        const QString name = ABSources::choiceName(row);
        QString detail;
        if (name.contains(QLatin1String("CardDAV")))
            detail = QStringLiteral("(iCloud/Facebook)");
        else if (name.contains(QLatin1String("Exchange")))
            detail = QStringLiteral("(Google)");
        choices.append({name, detail});
    }
    return choices;
}

void MainViewController::pickSource(int row)
{
    if (row < 0 || row >= ABSources::choiceCount())
        return;
    ABSources::setSelectedIndex(row);
    m_selectedSourceLabel = L("Ksource:").arg(ABSources::choiceName(row));
    Q_EMIT sourceSelected(row);
    Q_EMIT changed();
}

QString MainViewController::footerText() const
{
    return DeviceFacts::applicationName() + QStringLiteral(" v") + DeviceFacts::applicationVersion();
}

void MainViewController::footerPressed()
{
    if (++presscount < 5)
        return;
    AppData &settings = AppData::sharedInstance();
    settings.setEnableGoogleDocs(settings.enableGoogleDocs() ? 0 : 1);
    settings.saveSettings();
}

void MainViewController::openInformation()
{
    pushChild(ScreenRegistry::getViewController(WebScreen));
}

QString MainViewController::targetPathFor(const QString &path)
{
    QString target = Documents::filePath(QFileInfo(path).fileName());
    while (QFileInfo::exists(target)) {
        const QFileInfo info(target);
        const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
        // A name without an extension gets the underscore at its end rather than "name_.".
        target = info.suffix().isEmpty() && !info.fileName().endsWith(QLatin1Char('.'))
                     ? target + QLatin1Char('_')
                     : base + QStringLiteral("_.") + info.suffix();
    }
    return target;
}

void MainViewController::importFile(const QString &path)
{
    FLogLine(QStringLiteral("importFile: %1").arg(path));
    const QString target = targetPathFor(path);
    FLogLine(QStringLiteral("Move %1 %2").arg(path, target));
    QFile file(path);
    if (!file.rename(target)) {
        showError(QStringLiteral("Move: %1").arg(file.errorString()));
        return;
    }
    ScreenController *screen = ScreenRegistry::getViewController(FileChooserScreen);
    if (!screen)
        return;
    pushChild(screen);
    if (auto *chooser = screenAs<FileChooserInterface>(screen, "importFile")) {
        chooser->loadFiles(0);
        chooser->importFile(QFileInfo(target).fileName());
    }
}

void MainViewController::checkAddressBookAccess()
{
    const int status = ABAddressBook::authorizationStatus();
    if (status == kABAuthorizationStatusRestricted) {
        showInfo(L("KAccessDenied"));
        return;
    }
    if (status != kABAuthorizationStatusNotDetermined && status != kABAuthorizationStatusDenied)
        return;
    bool granted = false;
    {
        ABAddressBookRef book = ABAddressBook::create();
        // The menu waits for the answer, which arrives on another thread.
        QSemaphore answered;
        ABAddressBook::requestAccess([&](bool answer) {
            granted = answer;
            answered.release();
        });
        answered.acquire();
    }
    if (!granted)
        showInfo(L("KAccessDenied2"));
}
