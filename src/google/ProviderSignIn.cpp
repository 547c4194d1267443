#include "ProviderSignIn.h"

#include "CardDavClient.h"
#include "GCSession.h"
#include "ProviderServer.h"
#include "platform/DevLog.h"
#include "shell/OAuthSession.h"
#include "shell/OAuthSignIn.h"
#include "shell/OAuthTokenStore.h"

#include <QPointer>

ProviderSignIn::ProviderSignIn(GCSession &session, QUrl server, QString account, OpenBrowser openBrowser, QObject *parent)
    : QObject(parent), m_session(session), m_server(std::move(server)), m_account(std::move(account)), m_openBrowser(std::move(openBrowser))
{
}

ProviderSignIn::~ProviderSignIn()
{
    if (m_loggingIn)
        m_session.cancelLogin();
}

void ProviderSignIn::start(std::function<void(Result<void>)> done)
{
    m_done = std::move(done);
    auto tokens = std::make_unique<OAuthSession>(ProviderServer::oauthProvider(m_account), m_session.network());
    if (tokens->isLinked())
        return loginWithTokens(std::move(tokens), true);
    startBrowserSignIn();
}

void ProviderSignIn::startBrowserSignIn()
{
    const OAuthProvider provider = ProviderServer::oauthProvider(m_account);
    delete m_browserSignIn;
    m_browserSignIn = new OAuthSignIn(provider, m_session.network(), this);
    QPointer<ProviderSignIn> self(this);
    const QUrl address = m_browserSignIn->start([self, provider](Result<OAuthTokens> tokens) {
        if (!self)
            return;
        self->m_browserSignIn->deleteLater();
        self->m_browserSignIn = nullptr;
        if (!tokens)
            return self->finish(Error{tokens.error()});
        auto session = std::make_unique<OAuthSession>(provider, self->m_session.network());
        // Kept for this run even when the token file cannot be written.
        if (Result<void> stored = session->link(*tokens); !stored)
            DevLog::log(QStringLiteral("sign-in: tokens not stored: %1").arg(stored.error()));
        self->loginWithTokens(std::move(session), false);
    });
    DevLog::log(QStringLiteral("sign-in to %1 through the browser").arg(m_server.toDisplayString(QUrl::RemoveUserInfo)));
    m_openBrowser(address);
}

void ProviderSignIn::loginWithTokens(std::unique_ptr<OAuthSession> tokens, bool storedTokens)
{
    const QString tokensName = tokens->provider().name;
    QPointer<ProviderSignIn> self(this);
    m_loggingIn = true;
    m_session.loginWithOAuth(m_server, m_account, std::move(tokens), [self, storedTokens, tokensName](Result<void> result) {
        if (!self)
            return;
        self->m_loggingIn = false;
        // Stored tokens the service no longer takes (refused, or withdrawn so that they were
        // dropped): the browser signs in anew.
        if (!result && storedTokens
            && (CardDavClient::isLoginRefusal(result.error()) || OAuthTokenStore::load(tokensName).isEmpty())) {
            DevLog::log(QStringLiteral("sign-in: stored tokens refused: %1").arg(result.error()));
            return self->startBrowserSignIn();
        }
        self->finish(std::move(result));
    });
}

void ProviderSignIn::finish(Result<void> result)
{
    if (auto done = std::exchange(m_done, {}))
        done(std::move(result));
}
