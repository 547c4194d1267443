#include "FTChooserViewControler.h"

#include "DeviceAddresses.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "platform/MailComposer.h"
#include "shell/AccountHooks.h"
#include "shell/AppData.h"
#include "shell/Documents.h"
#include "shell/ScreenInterfaces.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QSaveFile>

namespace {
// File list modes (see the file list's own table).
enum FileListMode {
    SendWebMode = 1,
    SendEmailMode = 2,
    SendBluetoothMode = 3,
    DropboxUploadMode = 4,
    DropboxDownloadMode = 5,
    GoogleUploadMode = 8,
    GoogleDownloadMode = 9,
};

const QString kDropboxFlag = QStringLiteral("dropbox.flag");
}

FTChooserViewControler::FTChooserViewControler(QObject *parent) : ScreenController(FTChooserScreen, parent)
{
    buildSections();
}

QString FTChooserViewControler::title() const
{
    return L("KFileTransfer");
}

void FTChooserViewControler::viewWillAppear()
{
    buildSections();
}

void FTChooserViewControler::buildSections()
{
    AppData &settings = AppData::sharedInstance();
    settings.setEnableMobileme(0);
    const bool mail = MailComposer::isAvailable();
    Section servers{L("KServers"), {{TagWebServer, L("KWEBserver")}, {TagBluetoothServer, L("KBTServer")}}};
    Section clients{L("KClients"), {{TagSendWeb, L("KtxWEBsrv")}}};
    if (mail)
        clients.rows.append({TagSendEmail, L("KtxEmail")});
    clients.rows.append({TagSendBluetooth, L("KtxBT")});
    m_sections = {servers, clients};
    if (settings.enableDropbox())
        m_sections.append({QStringLiteral("Dropbox"), {{TagDropboxUpload, L("KtxDropbox")}, {TagDropboxDownload, L("KrxDropbox")}}});
    if (settings.enableGoogleDocs())
        m_sections.append({QStringLiteral("Google Drive"), {{TagGoogleUpload, L("KtxGoogle")}, {TagGoogleDownload, L("KrxGoogle")}}});
    Q_EMIT changed();
}

bool FTChooserViewControler::canUpload()
{
    static const QStringList kContactFiles{QStringLiteral("*.ldif"), QStringLiteral("*.vnbin"), QStringLiteral("*.vcf"),
                                           QStringLiteral("*.csv")};
    QDir folder(Documents::getDocumentsDir());
    folder.setNameFilters(kContactFiles);
    folder.setFilter(QDir::Files | QDir::Hidden);
    folder.setSorting(QDir::Unsorted);
    return !folder.entryList().isEmpty();
}

void FTChooserViewControler::selectRow(int tag)
{
    if ((tag == TagDropboxUpload || tag == TagGoogleUpload) && !canUpload()) {
        showWarning(L("KNoFiles"));
        Q_EMIT changed();
        return;
    }
    switch (tag) {
    case TagWebServer:
        if (requireNetwork())
            pushChild(ScreenRegistry::getViewController(HttpSrvScreen));
        break;
    case TagBluetoothServer:
        pushChild(ScreenRegistry::getViewController(BTsrvScreen));
        break;
    case TagSendWeb:
        if (requireNetwork())
            openFileList(SendWebMode);
        break;
    case TagSendEmail:
        if (MailComposer::isAvailable())
            openFileList(SendEmailMode);
        else
            showWarning(L("KEmailNotConfigured"));
        break;
    case TagSendBluetooth:
        openFileList(SendBluetoothMode);
        break;
    case TagDropboxUpload:
    case TagDropboxDownload:
        dropboxChoice(tag);
        break;
    case TagGoogleUpload:
    case TagGoogleDownload:
        // The Drive file list signs in through the browser by itself when it is not linked.
        openFileList(tag == TagGoogleUpload ? GoogleUploadMode : GoogleDownloadMode);
        break;
    default:
        break;
    }
    // The view clears the row selection.
    Q_EMIT changed();
}

bool FTChooserViewControler::requireNetwork()
{
    if (!DeviceAddresses::activeAddress().isEmpty())
        return true;
    showWarning(L("KNoNetConnection"));
    return false;
}

void FTChooserViewControler::openFileList(int mode)
{
    ScreenController *screen = ScreenRegistry::getViewController(FileChooserScreen);
    if (!screen)
        return;
    pushChild(screen);
    if (auto *files = dynamic_cast<FileChooserInterface *>(screen))
        files->loadFiles(mode);
}

void FTChooserViewControler::dropboxChoice(int tag)
{
    const bool upload = tag == TagDropboxUpload;
    if (AccountHooks::cloudIsLinked()) {
        openFileList(upload ? DropboxUploadMode : DropboxDownloadMode);
        return;
    }
    // The choice has to outlive the trip through the sign-in (which may restart the program).
    QSaveFile flag(Documents::filePath(kDropboxFlag));
    if (!flag.open(QIODevice::WriteOnly) || flag.write(upload ? "0" : "1") != 1 || !flag.commit())
        DevLog::log(QStringLiteral("FTChooser: %1 not written: %2").arg(kDropboxFlag, flag.errorString()));
    const auto &link = AccountHooks::cloud().link;
    if (!link) {
        DevLog::log(QStringLiteral("FTChooser: no Dropbox linking in this program"));
        return;
    }
    link([self = QPointer<FTChooserViewControler>(this)] {
        if (self)
            self->handleDropBox();
    });
}

void FTChooserViewControler::handleDropBox()
{
    QFile flag(Documents::filePath(kDropboxFlag));
    const QByteArray choice = flag.open(QIODevice::ReadOnly) ? flag.read(1) : QByteArray();
    openFileList(choice == "1" ? DropboxDownloadMode : DropboxUploadMode);
}
