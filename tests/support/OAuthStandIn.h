#pragma once

#include "HttpStandIn.h"
#include "shell/OAuthProvider.h"

#include <QSet>

// The authorize and token addresses of an OAuth 2 service with PKCE, as the services check
// them: the client, S256(verifier) == challenge, the same redirect address in both steps, a
// code used once, the client secret when the client has one and never otherwise. /authorize
// plays the browser's consent page: it redirects to the program's loopback address, or shows
// the code when no redirect address was given.
class OAuthStandIn : public HttpStandIn {
    Q_OBJECT
public:
    explicit OAuthStandIn(QString clientId, QString clientSecret = QString(), QObject *parent = nullptr);

    // A provider pointing at this stand-in.
    OAuthProvider provider(const QString &name, quint16 redirectPort = 0) const;
    // Tokens as after a sign-in, for tests that start signed in.
    OAuthTokens issue(int expiresIn = 14400);

    bool isValidAccessToken(const QString &token) const { return m_accessTokens.contains(token); }
    // The service refuses every access token given so far (they "expired").
    void expireAccessTokens() { m_accessTokens.clear(); }
    // The user withdrew the program's access: refresh tokens are refused.
    void revokeRefreshTokens() { m_refreshTokens.clear(); }
    int refreshCount = 0;
    int expiresIn = 14400;
    QString lastError; // why the last refused token request was refused

protected:
    Response handle(const Request &request) override;

private:
    Response authorize(const Request &request);
    Response token(const Request &request);
    Response refused(const QString &error, const QString &why);
    QByteArray newAccessToken();

    struct Grant {
        QString challenge;
        QString redirectUri;
    };
    QString m_clientId;
    QString m_clientSecret;
    QHash<QString, Grant> m_codes;
    QSet<QString> m_accessTokens;
    QSet<QString> m_refreshTokens;
    int m_serial = 0;
};
