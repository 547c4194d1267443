#pragma once

#include "platform/Result.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class GCSession;
class OAuthSession;
class OAuthSignIn;

// Signs a session in to the provider's service, which takes OAuth 2 tokens instead of a
// password: the tokens stored for the account by an earlier sign-in are tried first; without
// them, or when the service refuses them, the browser signs in (PKCE, loopback redirect) and
// the new tokens are stored. `done` runs once, unless the object goes first.
class ProviderSignIn : public QObject {
    Q_OBJECT
public:
    using OpenBrowser = std::function<void(const QUrl &address)>;

    ProviderSignIn(GCSession &session, QUrl server, QString account, OpenBrowser openBrowser, QObject *parent = nullptr);
    ~ProviderSignIn() override;

    void start(std::function<void(Result<void>)> done);

private:
    void startBrowserSignIn();
    // `storedTokens`: tokens of an earlier sign-in, replaced by a browser sign-in when refused.
    void loginWithTokens(std::unique_ptr<OAuthSession> tokens, bool storedTokens);
    void finish(Result<void> result);

    GCSession &m_session;
    QUrl m_server;
    QString m_account;
    OpenBrowser m_openBrowser;
    OAuthSignIn *m_browserSignIn = nullptr;
    bool m_loggingIn = false;
    std::function<void(Result<void>)> m_done;
};
