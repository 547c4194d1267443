#include "OAuthSession.h"

#include "OAuthTokenRequest.h"
#include "OAuthTokenStore.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QPointer>

OAuthSession::OAuthSession(OAuthProvider provider, QNetworkAccessManager *network, QObject *parent)
    : QObject(parent), m_provider(std::move(provider)), m_network(network), m_tokens(OAuthTokenStore::load(m_provider.name))
{
}

Result<void> OAuthSession::link(const OAuthTokens &tokens)
{
    m_tokens = tokens;
    return OAuthTokenStore::save(m_provider.name, m_tokens);
}

void OAuthSession::unlink()
{
    m_tokens = {};
    if (Result<void> removed = OAuthTokenStore::remove(m_provider.name); !removed)
        DevLog::log(QStringLiteral("unlink %1: %2").arg(m_provider.name, removed.error()));
}

void OAuthSession::accessToken(TokenDone done)
{
    if (!isLinked()) {
        done(Error{L("KCloudNotLinked")});
        return;
    }
    if (!m_tokens.expiresSoon() || m_tokens.refreshToken.isEmpty()) {
        done(m_tokens.accessToken);
        return;
    }
    refreshAccessToken(std::move(done));
}

void OAuthSession::refreshAccessToken(TokenDone done)
{
    if (m_tokens.refreshToken.isEmpty()) {
        done(Error{L("KCloudSignInAgain")});
        return;
    }
    m_waiting.append(std::move(done));
    if (m_waiting.size() > 1)
        return;
    QUrlQuery form;
    form.addQueryItem(QStringLiteral("grant_type"), QStringLiteral("refresh_token"));
    form.addQueryItem(QStringLiteral("refresh_token"), m_tokens.refreshToken);
    QPointer<OAuthSession> self(this);
    OAuthTokenRequest::post(m_network, m_provider, form, [self](const OAuthTokens *tokens, const OAuthTokenRequest::Failure &failure) {
        if (!self)
            return;
        if (!tokens) {
            DevLog::log(QStringLiteral("refresh %1: %2").arg(self->m_provider.name, failure.description));
            // A refused refresh token never works again: the account has to be signed in anew.
            if (failure.error == QLatin1String("invalid_grant")) {
                self->unlink();
                self->finishRefresh(Error{L("KCloudSignInAgain") + QStringLiteral("\n\n") + failure.description});
            } else {
                self->finishRefresh(Error{failure.description});
            }
            return;
        }
        OAuthTokens renewed = *tokens;
        // Services may keep the refresh token and not send it again.
        if (renewed.refreshToken.isEmpty())
            renewed.refreshToken = self->m_tokens.refreshToken;
        if (Result<void> saved = self->link(renewed); !saved)
            DevLog::log(QStringLiteral("refresh %1: tokens not stored: %2").arg(self->m_provider.name, saved.error()));
        self->finishRefresh(renewed.accessToken);
    });
}

void OAuthSession::finishRefresh(const Result<QString> &result)
{
    const QList<TokenDone> waiting = std::exchange(m_waiting, {});
    for (const TokenDone &done : waiting)
        done(result);
}
