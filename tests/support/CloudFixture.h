#pragma once

#include "DriveStandIn.h"
#include "DropboxStandIn.h"
#include "OAuthStandIn.h"
#include "cloud/CloudAccounts.h"
#include "cloud/RemoteFolder.h"

#include <QTemporaryDir>

// Stand-ins of Dropbox and Google Drive with their sign-in services on this machine, and the
// user's defaults (in a temporary configuration folder, where the tokens go too) pointing the
// program at them.
class CloudFixture {
public:
    CloudFixture();
    ~CloudFixture();

    OAuthStandIn dropboxAuth{QStringLiteral("dropbox-app-key")};
    OAuthStandIn driveAuth{QStringLiteral("drive-client-id"), QStringLiteral("drive-secret")};
    DropboxStandIn dropbox{&dropboxAuth};
    DriveStandIn drive{&driveAuth};

    QString configFolder() const { return m_config.path(); }
    // Signs the program's session of a service in, as a finished sign-in would.
    void signIn(CloudAccounts::Service service);
    // What a browser does with an address: follows redirects and answers the last page.
    static QByteArray browse(const QUrl &address, int *status = nullptr);

    // The folder operations, waited for.
    static Result<QList<RemoteFile>> list(RemoteFolder &folder);
    static Result<void> upload(RemoteFolder &folder, const QString &path, QList<double> *progress = nullptr);
    static Result<void> download(RemoteFolder &folder, const RemoteFile &file, const QString &path);
    static Result<void> remove(RemoteFolder &folder, const RemoteFile &file);

private:
    QTemporaryDir m_config;
    QString m_previousDefaults;
};
