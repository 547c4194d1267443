#include "CloudFileList.h"

#include "CloudSignIn.h"
#include "DriveFolder.h"
#include "GDLoginController.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"
#include "shell/Documents.h"
#include "shell/OAuthSession.h"
#include "shell/ScreenRegistry.h"
#include "shell/UiHost.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {
// A sign-in that the browser never finishes gives the screen back after this long.
constexpr int kSignInWaitMs = 5 * 60 * 1000;
}

CloudFileList::CloudFileList(CloudAccounts::Service service, bool uploading, QObject *parent)
    : QObject(parent), m_service(service), m_uploading(uploading), m_folder(CloudAccounts::instance().newFolder(service, this))
{
    connect(m_folder, &RemoteFolder::waitingToRetry, this, [](int seconds) {
        if (UiHost *host = UiHost::current())
            host->setProgressTitle(UiHost::progressTitle(L("KCloudRetryWait").arg(seconds)));
    });
}

CloudFileList::~CloudFileList()
{
    setBusy(false);
}

void CloudFileList::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

void CloudFileList::start()
{
    if (!m_folder->session()->isLinked()) {
        signIn();
        return;
    }
    if (!m_uploading)
        list();
}

// Dropbox remembers in the documents folder which way the user was going while the account
// is being linked.
void CloudFileList::writeChoiceFlag() const
{
    QFile flag(Documents::filePath(QStringLiteral("dropbox.flag")));
    if (flag.open(QIODevice::WriteOnly | QIODevice::Truncate))
        flag.write(m_uploading ? "0" : "1");
}

void CloudFileList::signIn()
{
    if (m_service == CloudAccounts::Drive) {
        // Google Drive signs in on its own screen.
        auto *login = qobject_cast<GDLoginController *>(ScreenRegistry::getViewController(GDLoginScreen));
        if (!login)
            return;
        login->setLoginDone([self = QPointer<CloudFileList>(this)] {
            if (self)
                self->start();
        });
        Q_EMIT openScreen(login);
        return;
    }
    writeChoiceFlag();
    m_signIn = new CloudSignIn(m_service, this);
    setBusy(true);
    m_signIn->start([this](Result<void> linked) {
        endSignIn();
        if (!linked) {
            showError(linked.error());
            return;
        }
        QFile::remove(Documents::filePath(QStringLiteral("dropbox.flag")));
        start();
    });
    UiHost *host = UiHost::current();
    if (!host)
        return;
    if (m_signIn->waitsForPastedCode()) {
        std::optional<QString> code = host->askText(CloudAccounts::displayName(m_service), L("KCloudPasteCode"), QString());
        if (!m_signIn)
            return;
        if (!code || code->trimmed().isEmpty()) {
            endSignIn();
            return;
        }
        host->showProgress(UiHost::progressTitle(L("KCloudSigningIn")), true);
        m_signIn->finishWithCode(*code);
        return;
    }
    host->showProgress(UiHost::progressTitle(L("KCloudSignInBrowser")), true);
    QTimer::singleShot(kSignInWaitMs, m_signIn, [this] {
        DevLog::log(QStringLiteral("sign-in: no answer from the browser"));
        endSignIn();
    });
}

void CloudFileList::endSignIn()
{
    m_signIn->deleteLater();
    m_signIn = nullptr;
    transferEnded();
}

void CloudFileList::list()
{
    setBusy(true);
    m_folder->listContactFiles([this](Result<QList<RemoteFile>> files) {
        setBusy(false);
        if (!files) {
            DevLog::log(QStringLiteral("%1 %2").arg(QStringLiteral("list"), files.error()));
            showError(files.error());
            return;
        }
        m_files = *files;
        Q_EMIT listed(m_files);
    });
}

RemoteFolder::Progress CloudFileList::progressBar() const
{
    return [](double fraction) {
        // A value of 1 closes the sheet; the end of the transfer does that.
        if (UiHost *host = UiHost::current())
            host->setProgress(std::min(fraction, 0.999));
    };
}

void CloudFileList::showTransferProgress(const QString &taskKeyText)
{
    setBusy(true);
    if (UiHost *host = UiHost::current())
        host->showProgress(taskKeyText, false);
}

void CloudFileList::transferEnded()
{
    if (UiHost *host = UiHost::current())
        host->closeProgress();
    setBusy(false);
}

void CloudFileList::transferSucceeded(const QString &message)
{
    transferEnded();
    showInfo(message);
}

void CloudFileList::transferFailed(const QString &operation, const QString &description)
{
    DevLog::log(QStringLiteral("%1 %2").arg(operation, description));
    transferEnded();
    showError(description);
}

void CloudFileList::upload(int row, const QString &localPath)
{
    if (m_busy)
        return;
    if (!m_folder->session()->isLinked()) {
        signIn();
        return;
    }
    const QString name = QFileInfo(localPath).fileName();
    // Drive takes only the types it knows; nothing is sent for the others.
    if (m_service == CloudAccounts::Drive && DriveFolder::mimeTypeFor(name).isEmpty()) {
        showError(L("KNeedMimeType").arg(name));
        return;
    }
    showTransferProgress(L("KUploadInProgress"));
    m_folder->upload(localPath, progressBar(), [this, row, name](Result<void> result) {
        if (!result) {
            transferFailed(QStringLiteral("upload"), result.error());
            return;
        }
        transferSucceeded(m_service == CloudAccounts::Dropbox ? L("KUploadedToDropbox").arg(name) : L("KUploadOK"));
        Q_EMIT rowDone(row);
    });
}

void CloudFileList::download(int row)
{
    if (m_busy || row < 0 || row >= m_files.size())
        return;
    const RemoteFile file = m_files[row];
    showTransferProgress(L("KDownloadInProgress"));
    m_folder->download(file, Documents::filePath(file.name), progressBar(), [this, file](Result<void> result) {
        if (!result) {
            transferFailed(QStringLiteral("download"), result.error());
            return;
        }
        transferSucceeded(m_service == CloudAccounts::Dropbox ? L("KDownloadFromDropbox").arg(file.name) : L("KFiledownloaded"));
        // The rows may have changed meanwhile: find the file's row again.
        for (int i = 0; i < m_files.size(); ++i) {
            if (m_files[i].id == file.id) {
                m_files.removeAt(i);
                Q_EMIT rowDone(i);
                break;
            }
        }
    });
}

void CloudFileList::remove(int row)
{
    if (m_busy || row < 0 || row >= m_files.size())
        return;
    const RemoteFile file = m_files.takeAt(row);
    Q_EMIT rowDone(row);
    m_folder->remove(file, [file](Result<void> result) {
        if (result)
            return;
        DevLog::log(QStringLiteral("Error deleting file %1: %2").arg(file.name, result.error()));
        // The row went at once; say that the file is still there.
        showError(result.error());
    });
}
