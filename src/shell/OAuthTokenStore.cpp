#include "OAuthTokenStore.h"

#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QJsonObject readAll()
{
    QFile file(OAuthTokenStore::path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

Result<void> writeAll(const QJsonObject &all)
{
    const QString target = OAuthTokenStore::path();
    QDir().mkpath(QFileInfo(target).absolutePath());
    QSaveFile file(target);
    // The temporary file gets the owner-only mode before a token is written into it.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(kOwnerOnly))
        return Error{file.errorString()};
    file.write(QJsonDocument(all).toJson(QJsonDocument::Compact));
    if (!file.commit())
        return Error{file.errorString()};
    return {};
}
}

bool OAuthTokens::expiresSoon(const QDateTime &now) const
{
    if (accessToken.isEmpty())
        return true;
    return expiresAt.isValid() && now.secsTo(expiresAt) < 300;
}

QString OAuthTokenStore::path()
{
    return QFileInfo(UserDefaults::standardUserDefaults().path()).absolutePath() + QStringLiteral("/cloud-tokens.json");
}

OAuthTokens OAuthTokenStore::load(const QString &provider)
{
    const QJsonObject entry = readAll().value(provider).toObject();
    OAuthTokens tokens;
    tokens.accessToken = entry.value(QStringLiteral("access_token")).toString();
    tokens.refreshToken = entry.value(QStringLiteral("refresh_token")).toString();
    const QString expires = entry.value(QStringLiteral("expires_at")).toString();
    if (!expires.isEmpty())
        tokens.expiresAt = QDateTime::fromString(expires, Qt::ISODate);
    return tokens;
}

Result<void> OAuthTokenStore::save(const QString &provider, const OAuthTokens &tokens)
{
    QJsonObject all = readAll();
    QJsonObject entry{{QStringLiteral("access_token"), tokens.accessToken},
                      {QStringLiteral("refresh_token"), tokens.refreshToken}};
    if (tokens.expiresAt.isValid())
        entry.insert(QStringLiteral("expires_at"), tokens.expiresAt.toUTC().toString(Qt::ISODate));
    all.insert(provider, entry);
    return writeAll(all);
}

Result<void> OAuthTokenStore::remove(const QString &provider)
{
    QJsonObject all = readAll();
    if (!all.contains(provider))
        return {};
    all.remove(provider);
    return writeAll(all);
}
