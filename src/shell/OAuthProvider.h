#pragma once

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

// What one OAuth 2 service needs for the authorization-code flow with PKCE of a desktop
// program: its two addresses, our client identity and how the browser comes back to us.
struct OAuthProvider {
    QString name;          // key of the stored tokens ("dropbox", "drive", …)
    QUrl authorizeUrl;
    QUrl tokenUrl;
    QString clientId;
    QString clientSecret;  // empty: not sent (PKCE without a secret)
    QString scope;         // empty: not sent
    QList<QPair<QString, QString>> extraAuthorizeItems; // e.g. token_access_type=offline
    // The loopback port of the redirect: 0 for any free port; a fixed port must be the one
    // registered with the service, and when it is busy the user pastes the code instead.
    quint16 redirectPort = 0;
    QString redirectPath = QStringLiteral("/");
};

struct OAuthTokens {
    QString accessToken;
    QString refreshToken;
    QDateTime expiresAt; // invalid: unknown, used until the service refuses it

    bool isEmpty() const { return accessToken.isEmpty() && refreshToken.isEmpty(); }
    // Whether the access token runs out within the next five minutes (or is missing).
    bool expiresSoon(const QDateTime &now = QDateTime::currentDateTimeUtc()) const;
};
