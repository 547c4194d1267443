#pragma once

#include "CloudAccounts.h"
#include "RemoteFolder.h"

#include <QList>
#include <QObject>
#include <QPointer>

class CloudSignIn;
class ScreenController;

// The cloud half of the file list: signs the account in when needed, lists the program's
// folder in the download modes, and uploads, downloads and deletes the tapped files with the
// progress sheet and the messages of each service. The screen keeps the rows; this keeps the
// remote files behind them in the same order.
class CloudFileList : public QObject {
    Q_OBJECT
public:
    CloudFileList(CloudAccounts::Service service, bool uploading, QObject *parent = nullptr);
    ~CloudFileList() override;

    CloudAccounts::Service service() const { return m_service; }
    bool isBusy() const { return m_busy; }
    const QList<RemoteFile> &remoteFiles() const { return m_files; }

    // Signs in first when the account is not linked; then, in a download mode, lists the folder.
    void start();
    void upload(int row, const QString &localPath);
    void download(int row);
    void remove(int row);

Q_SIGNALS:
    // The folder's contact files, to become the rows.
    void listed(const QList<RemoteFile> &files);
    // The row's transfer succeeded: the screen removes it.
    void rowDone(int row);
    // A listing, transfer or sign-in runs (the screen locks) or ended.
    void busyChanged(bool busy);
    // The screen opens this one over itself (the Google Drive sign-in).
    void openScreen(ScreenController *screen);

private:
    void signIn();
    void endSignIn();
    void list();
    void setBusy(bool busy);
    void showTransferProgress(const QString &task);
    RemoteFolder::Progress progressBar() const;
    // Closes the sheet and unlocks the screen after a transfer or sign-in.
    void transferEnded();
    void transferSucceeded(const QString &message);
    void transferFailed(const QString &operation, const QString &description);
    void writeChoiceFlag() const;

    CloudAccounts::Service m_service;
    bool m_uploading;
    RemoteFolder *m_folder;
    QList<RemoteFile> m_files;
    CloudSignIn *m_signIn = nullptr;
    bool m_busy = false;
};
