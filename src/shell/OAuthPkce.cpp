#include "OAuthPkce.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

namespace {
QByteArray base64Url(const QByteArray &bytes)
{
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}
}

QByteArray OAuthPkce::newVerifier()
{
    return base64Url(randomBytes(32));
}

QByteArray OAuthPkce::challengeFor(const QByteArray &verifier)
{
    return base64Url(QCryptographicHash::hash(verifier, QCryptographicHash::Sha256));
}

QByteArray OAuthPkce::newState()
{
    return base64Url(randomBytes(16));
}
