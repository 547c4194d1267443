#include "HTTPPostFile.h"

#include "HTTPPostFileBody.h"
#include "platform/DevLog.h"
#include "platform/DeviceFacts.h"
#include "platform/Localization.h"

#include <QAuthenticator>
#include <QNetworkReply>
#include <QNetworkRequest>

HTTPPostFile::HTTPPostFile(const QUrl &serverURL, const QString &filePath, const QString &userid,
                           const QString &password, QObject *parent)
    : QObject(parent), _serverURL(serverURL), _filePath(filePath), _userid(userid), _password(password)
{
    connect(&m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *, QAuthenticator *authenticator) { authenticate(authenticator); });
}

HTTPPostFile::~HTTPPostFile()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

QNetworkRequest HTTPPostFile::postRequest(const QUrl &url, qint64 length)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArray("multipart/form-data; boundary=") + HTTPPostFileBody::kBoundary);
    request.setHeader(QNetworkRequest::ContentLengthHeader, length);
    // The receiving server recognises this program by the start of the User-Agent.
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("%1/%2").arg(DeviceFacts::applicationName(), DeviceFacts::applicationVersion()));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    return request;
}

void HTTPPostFile::upload()
{
    m_body = new HTTPPostFileBody(_filePath, this);
    if (!m_body->openFile()) {
        fail(L("KErrTXreadfile"));
        return;
    }
    if (m_body->fileSize() == 0) {
        fail(L("KErrTXemptyfile"));
        return;
    }
    if (!_serverURL.isValid() || _serverURL.host().isEmpty()
        || (_serverURL.scheme() != QLatin1String("http") && _serverURL.scheme() != QLatin1String("https"))) {
        fail(L("KErrTXURL"));
        return;
    }
    QNetworkRequest request = postRequest(_serverURL, m_body->size());
    request.setTransferTimeout(m_timeout);
    m_reply = m_manager.post(request, m_body);
    connect(m_reply, &QNetworkReply::readyRead, this, &HTTPPostFile::readAnswer);
    connect(m_reply, &QNetworkReply::finished, this, &HTTPPostFile::answerComplete);
}

void HTTPPostFile::authenticate(QAuthenticator *authenticator)
{
    // The first challenge is answered; a second one means the credential was refused.
    if (++m_challenges == 1) {
        authenticator->setUser(_userid);
        authenticator->setPassword(_password);
        return;
    }
    _authError = true;
}

void HTTPPostFile::readAnswer()
{
    const QByteArray piece = m_answerTail + m_reply->readAll();
    if (piece.contains(kConfirmation))
        _uploadDidSucceed = true;
    m_answerTail = piece.right(qsizetype(sizeof kConfirmation) - 2);
}

void HTTPPostFile::answerComplete()
{
    readAnswer();
    const QNetworkReply::NetworkError error = m_reply->error();
    const bool answered = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    m_reply->deleteLater();
    if (_uploadDidSucceed) {
        m_reported = true;
        Q_EMIT done(this);
        return;
    }
    if (_authError)
        fail(L("KErrTXauth"));
    else if (answered)
        fail(L("KErrTXsrvreponse"));
    else if (error == QNetworkReply::OperationCanceledError)
        fail(L("KErrTXtimeout")); // the transfer timeout is the only cancellation
    else
        fail(m_reply->errorString());
}

void HTTPPostFile::fail(const QString &message)
{
    if (m_reported)
        return;
    m_reported = true;
    DevLog::log(QStringLiteral("HTTPPostFile %1: %2").arg(_filePath, message));
    Q_EMIT failed(message, this);
}
