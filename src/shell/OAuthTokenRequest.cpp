#include "OAuthTokenRequest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

void OAuthTokenRequest::post(QNetworkAccessManager *network, const OAuthProvider &provider, QUrlQuery form, Done done)
{
    form.addQueryItem(QStringLiteral("client_id"), provider.clientId);
    if (!provider.clientSecret.isEmpty())
        form.addQueryItem(QStringLiteral("client_secret"), provider.clientSecret);
    QNetworkRequest request(provider.tokenUrl);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    // Values such as "+" and "/" in codes must reach the service as they are.
    QByteArray body = form.toString(QUrl::FullyEncoded).toUtf8().replace('+', "%2B");
    QNetworkReply *reply = network->post(request, body);
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, done = std::move(done)] {
        reply->deleteLater();
        const QJsonObject json = QJsonDocument::fromJson(reply->readAll()).object();
        const QString accessToken = json.value(QStringLiteral("access_token")).toString();
        if (reply->error() == QNetworkReply::NoError && !accessToken.isEmpty()) {
            OAuthTokens tokens;
            tokens.accessToken = accessToken;
            tokens.refreshToken = json.value(QStringLiteral("refresh_token")).toString();
            const int expiresIn = json.value(QStringLiteral("expires_in")).toInt(0);
            if (expiresIn > 0)
                tokens.expiresAt = QDateTime::currentDateTimeUtc().addSecs(expiresIn);
            done(&tokens, {});
            return;
        }
        Failure failure{json.value(QStringLiteral("error")).toString(), json.value(QStringLiteral("error_description")).toString()};
        if (failure.description.isEmpty())
            failure.description = failure.error.isEmpty() ? reply->errorString() : failure.error;
        done(nullptr, failure);
    });
}
