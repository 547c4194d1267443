#include "OAuthStandIn.h"

#include "shell/OAuthPkce.h"

#include <QJsonDocument>
#include <QJsonObject>

OAuthStandIn::OAuthStandIn(QString clientId, QString clientSecret, QObject *parent)
    : HttpStandIn(parent), m_clientId(std::move(clientId)), m_clientSecret(std::move(clientSecret))
{
}

OAuthProvider OAuthStandIn::provider(const QString &name, quint16 redirectPort) const
{
    OAuthProvider provider;
    provider.name = name;
    provider.authorizeUrl = QUrl(url().toString() + QStringLiteral("/authorize"));
    provider.tokenUrl = QUrl(url().toString() + QStringLiteral("/token"));
    provider.clientId = m_clientId;
    provider.clientSecret = m_clientSecret;
    provider.redirectPort = redirectPort;
    provider.redirectPath = QStringLiteral("/back");
    return provider;
}

QByteArray OAuthStandIn::newAccessToken()
{
    const QByteArray token = "at-" + QByteArray::number(++m_serial);
    m_accessTokens.insert(QString::fromLatin1(token));
    return token;
}

OAuthTokens OAuthStandIn::issue(int lifetime)
{
    OAuthTokens tokens;
    tokens.accessToken = QString::fromLatin1(newAccessToken());
    tokens.refreshToken = QStringLiteral("rt-%1").arg(++m_serial);
    m_refreshTokens.insert(tokens.refreshToken);
    tokens.expiresAt = QDateTime::currentDateTimeUtc().addSecs(lifetime);
    return tokens;
}

HttpStandIn::Response OAuthStandIn::handle(const Request &request)
{
    if (request.method == "GET" && request.target.path() == QLatin1String("/authorize"))
        return authorize(request);
    if (request.method == "POST" && request.target.path() == QLatin1String("/token"))
        return token(request);
    return text(404, "no such route");
}

HttpStandIn::Response OAuthStandIn::authorize(const Request &request)
{
    if (request.query("client_id") != m_clientId || request.query("response_type") != QLatin1String("code"))
        return text(400, "invalid client or response type");
    if (request.query("code_challenge_method") != QLatin1String("S256") || request.query("code_challenge").size() != 43)
        return text(400, "PKCE with S256 required");
    const QString code = QStringLiteral("code/%1+x=").arg(++m_serial); // characters that need encoding
    const QString redirect = request.query("redirect_uri");
    m_codes.insert(code, {request.query("code_challenge"), redirect});
    if (redirect.isEmpty())
        return text(200, code.toUtf8());
    QUrl back(redirect);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("code"), QString::fromLatin1(QUrl::toPercentEncoding(code)));
    query.addQueryItem(QStringLiteral("state"), QString::fromLatin1(QUrl::toPercentEncoding(request.query("state"))));
    back.setQuery(query);
    return {302, {{"Location", back.toEncoded()}}, {}};
}

HttpStandIn::Response OAuthStandIn::refused(const QString &error, const QString &why)
{
    lastError = why;
    return json(400, QJsonDocument(QJsonObject{{QStringLiteral("error"), error}, {QStringLiteral("error_description"), why}}).toJson());
}

HttpStandIn::Response OAuthStandIn::token(const Request &request)
{
    if (!request.header("content-type").startsWith("application/x-www-form-urlencoded"))
        return refused(QStringLiteral("invalid_request"), QStringLiteral("form body required"));
    const QUrlQuery form = HttpStandIn::form(request.body);
    auto value = [&form](const char *key) { return form.queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded); };
    if (value("client_id") != m_clientId)
        return refused(QStringLiteral("invalid_client"), QStringLiteral("unknown client"));
    if (form.hasQueryItem(QStringLiteral("client_secret")) != !m_clientSecret.isEmpty() || value("client_secret") != m_clientSecret)
        return refused(QStringLiteral("invalid_client"), QStringLiteral("client_secret is missing or wrong"));

    QJsonObject answer{{QStringLiteral("token_type"), QStringLiteral("bearer")}, {QStringLiteral("expires_in"), expiresIn}};
    const QString grant = value("grant_type");
    if (grant == QLatin1String("authorization_code")) {
        const auto found = m_codes.constFind(value("code"));
        if (found == m_codes.constEnd())
            return refused(QStringLiteral("invalid_grant"), QStringLiteral("code doesn't exist or has expired"));
        const Grant granted = *found;
        m_codes.remove(value("code"));
        if (QString::fromLatin1(OAuthPkce::challengeFor(value("code_verifier").toLatin1())) != granted.challenge)
            return refused(QStringLiteral("invalid_grant"), QStringLiteral("invalid code verifier"));
        if (value("redirect_uri") != granted.redirectUri)
            return refused(QStringLiteral("invalid_grant"), QStringLiteral("redirect_uri mismatch"));
        const QString refresh = QStringLiteral("rt-%1").arg(++m_serial);
        m_refreshTokens.insert(refresh);
        answer.insert(QStringLiteral("refresh_token"), refresh);
    } else if (grant == QLatin1String("refresh_token")) {
        if (!m_refreshTokens.contains(value("refresh_token")))
            return refused(QStringLiteral("invalid_grant"), QStringLiteral("Token has been expired or revoked."));
        ++refreshCount;
    } else {
        return refused(QStringLiteral("unsupported_grant_type"), grant);
    }
    answer.insert(QStringLiteral("access_token"), QString::fromLatin1(newAccessToken()));
    return json(200, QJsonDocument(answer).toJson());
}
