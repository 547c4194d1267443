#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class MainViewController;

// The program's start and the files and links handed in from outside. One per process; the
// window creates it after installing its UiHost.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *shared();

    // Starts the file log, the language, the settings and the main menu (pushed as the root
    // of the window's stack). `launchUrl` is the file or link the program was started with.
    void launch(const QUrl &launchUrl = QUrl());
    MainViewController *mainMenu() const { return m_mainMenu; }

    QString getDocumentsDir() const;

    // Copies the shipped FormatRules.plist into the documents folder when it is missing (or
    // when `force` is set); an existing file is never overwritten. Answers whether a copy was
    // made.
    static bool createDefaultsIfNeeded(bool force);

    // A file handed in by another application asks "Import …?" and, on Yes, moves the file in
    // and imports it; any other link goes to the cloud-storage sign-in. Answers whether the
    // link was handled. While an operation runs (Operations::busy) a file waits its turn and
    // is asked for once nothing runs any more.
    bool handleOpenURL(const QUrl &url);
    // Files handed in that wait for the running operation to end.
    const QList<QUrl> &pendingFiles() const { return m_pending; }
    // Turns a launch argument (a path or a URL) into a URL.
    static QUrl urlFromArgument(const QString &argument);

    // The file whose import question is open.
    QString remoteFile;

Q_SIGNALS:
    // The cloud-storage account was linked while the transfer chooser is open.
    void handleDropBox();

private:
    void initialize();
    void handleCloudReturn(const QUrl &url);
    void askForFile(const QUrl &url);
    void handleNextPendingFile();

    MainViewController *m_mainMenu = nullptr;
    QList<QUrl> m_pending;
};
