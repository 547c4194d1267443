#include "AppDelegate.h"

#include "AccountHooks.h"
#include "AppData.h"
#include "Documents.h"
#include "FLog.h"
#include "MainViewController.h"
#include "Operations.h"
#include "ScreenInterfaces.h"
#include "ScreenRegistry.h"
#include "UiHost.h"
#include "UserDefaults.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {
AppDelegate *g_shared = nullptr;
}

AppDelegate::AppDelegate(QObject *parent) : QObject(parent)
{
    g_shared = this;
    connect(&Operations::instance(), &Operations::idle, this, &AppDelegate::handleNextPendingFile);
}

AppDelegate::~AppDelegate()
{
    if (g_shared == this)
        g_shared = nullptr;
}

AppDelegate *AppDelegate::shared()
{
    return g_shared;
}

QString AppDelegate::getDocumentsDir() const
{
    return Documents::getDocumentsDir();
}

void AppDelegate::launch(const QUrl &launchUrl)
{
    FLogLine(QStringLiteral("Vennaro v %1 (%2)").arg(DeviceFacts::applicationVersion(), DeviceFacts::buildDate()));
    if (!launchUrl.isEmpty())
        FLogLine(QStringLiteral("url %1").arg(launchUrl.toString()));
    if (const auto &setup = AccountHooks::cloud().setup)
        setup();
    Localization::setLanguage(UserDefaults::standardUserDefaults().preferredLanguage());
    initialize();
}

void AppDelegate::initialize()
{
    AppData::sharedInstance().loadSettings();
    createDefaultsIfNeeded(false);
    m_mainMenu = new MainViewController;
    ScreenRegistry::registerViewController(m_mainMenu);
    if (UiHost *host = UiHost::current())
        host->push(m_mainMenu);
    if (DeviceFacts::systemVersionAtLeast(QStringLiteral("6")))
        QTimer::singleShot(100, m_mainMenu, &MainViewController::checkAddressBookAccess);
}

bool AppDelegate::createDefaultsIfNeeded(bool force)
{
    const QString target = Documents::filePath(QStringLiteral("FormatRules.plist"));
    if (QFileInfo::exists(target) && !force)
        return false;
    // QFile::copy never replaces an existing file.
    if (!QFile::copy(QStringLiteral(":/FormatRules.plist"), target))
        return false;
    // Copies out of the program's resources are read-only; the rules are the user's to edit.
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    return true;
}

QUrl AppDelegate::urlFromArgument(const QString &argument)
{
    const QUrl url(argument);
    // Anything with a scheme of two or more letters is a link; "C:"-like and plain paths are files.
    if (url.isValid() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath());
}

bool AppDelegate::handleOpenURL(const QUrl &url)
{
    if (!url.isLocalFile()) {
        const auto &handle = AccountHooks::cloud().handleUrl;
        if (!handle || !handle(url))
            return false;
        handleCloudReturn(url);
        return true;
    }
    if (Operations::instance().busy() || !m_pending.isEmpty()) {
        FLogLine(QStringLiteral("waiting %1").arg(url.toLocalFile()));
        m_pending.append(url);
        return true;
    }
    askForFile(url);
    return true;
}

void AppDelegate::handleNextPendingFile()
{
    if (m_pending.isEmpty() || Operations::instance().busy())
        return;
    askForFile(m_pending.takeFirst());
    // The import a Yes starts begins from the event loop; the next file waits for its end.
    if (!m_pending.isEmpty())
        QTimer::singleShot(0, this, &AppDelegate::handleNextPendingFile);
}

void AppDelegate::askForFile(const QUrl &url)
{
    const QString path = url.toLocalFile();
    FLogLine(QStringLiteral("path %1").arg(path));
    remoteFile = path;
    UiHost *host = UiHost::current();
    const int answer = host ? host->ask(QStringLiteral("Vennaro"), L("KImportConfirm").arg(QFileInfo(path).fileName()),
                                        {L("KNo"), L("KYes")}, 0)
                            : 0;
    if (answer == 1) {
        FLogLine(QStringLiteral("Should load %1").arg(path));
        auto *menu = static_cast<MainViewController *>(ScreenRegistry::getViewController(MainScreen));
        if (menu)
            QTimer::singleShot(0, menu, [menu, path] { menu->importFile(path); });
    }
    remoteFile.clear();
}

void AppDelegate::handleCloudReturn(const QUrl &)
{
    if (!AccountHooks::cloudIsLinked())
        return;
    if (ScreenRegistry::isViewControllerLoaded(FTChooserScreen)) {
        Q_EMIT handleDropBox();
        return;
    }
    QFile flagFile(Documents::filePath(QStringLiteral("dropbox.flag")));
    const QByteArray flag = flagFile.open(QIODevice::ReadOnly) ? flagFile.readAll() : QByteArray();
    if (flag != "0" && flag != "1")
        return;
    UiHost *host = UiHost::current();
    ScreenController *chooser = ScreenRegistry::getViewController(FTChooserScreen);
    if (host && chooser)
        host->push(chooser);
    ScreenController *files = ScreenRegistry::getViewController(FileChooserScreen);
    if (!host || !files)
        return;
    if (chooser)
        chooser->bCanRelease = false;
    host->push(files);
    if (auto *fileChooser = dynamic_cast<FileChooserInterface *>(files))
        fileChooser->loadFiles(flag == "0" ? 4 : 5);
}
