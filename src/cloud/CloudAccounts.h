#pragma once

#include "shell/OAuthProvider.h"

#include <QNetworkAccessManager>
#include <QString>

#include <memory>

class OAuthSession;
class RemoteFolder;

// The two cloud services, their addresses and our client identity, and one signed-in session
// each for the life of the process. Every address can be changed by a key of the user's
// defaults (so tests point them at this machine); the client identities come from the build.
class CloudAccounts {
public:
    enum Service { Dropbox, Drive };

    static CloudAccounts &instance();

    // "dropbox" or "drive"; false for any other name.
    static bool serviceNamed(const QString &name, Service *service);
    static QString displayName(Service service);

    OAuthProvider provider(Service service) const;
    OAuthSession *session(Service service);
    // A new client of the service's program folder, owned by `parent`.
    RemoteFolder *newFolder(Service service, QObject *parent);
    QNetworkAccessManager *network() { return &m_network; }

    // Tells the shell whether Dropbox is linked and how to unlink both accounts.
    static void installHooks();

    // Forgets the sessions so the next use reads the defaults and tokens again (tests).
    void reset();

private:
    CloudAccounts() = default;
    QNetworkAccessManager m_network;
    std::unique_ptr<OAuthSession> m_sessions[2];
};
