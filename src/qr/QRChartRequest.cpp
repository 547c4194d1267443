#include "QRChartRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {
constexpr int kTimeoutMs = 30000;
}

QRChartRequest::QRChartRequest(QObject *parent) : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    m_manager->setCache(nullptr);
}

QRChartRequest::~QRChartRequest()
{
    abort();
}

QByteArray QRChartRequest::body(const QString &text, int pixels)
{
    const QByteArray size = QByteArray::number(pixels);
    return "cht=qr&chs=" + size + 'x' + size + "&chl=" + text.toUtf8();
}

void QRChartRequest::start(const QUrl &endpoint, const QString &text, int pixels)
{
    abort();
    m_received.clear();
    m_responded = false;
    const QByteArray payload = body(text, pixels);
    QNetworkRequest request(endpoint);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setHeader(QNetworkRequest::ContentLengthHeader, QVariant::fromValue(qint64(payload.size())));
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kTimeoutMs);
    QNetworkReply *reply = m_manager->post(request, payload);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &QRChartRequest::onMetaData);
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        onMetaData();
        m_received += reply->readAll();
    });
    connect(reply, &QNetworkReply::finished, this, &QRChartRequest::onFinished);
}

void QRChartRequest::abort()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void QRChartRequest::onMetaData()
{
    if (m_responded || !m_reply || !m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return;
    m_responded = true;
    const QString mime = m_reply->header(QNetworkRequest::ContentTypeHeader).toString().section(QLatin1Char(';'), 0, 0);
    Q_EMIT responded(mime.trimmed().compare(QLatin1String("image/png"), Qt::CaseInsensitive) == 0);
}

void QRChartRequest::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    onMetaData();
    m_received += reply->readAll();
    m_reply = nullptr;
    reply->deleteLater();
    // An HTTP error status is still a response (its MIME type decides); a failed connection,
    // a time-out or a broken transfer is a failure, even when part of an answer arrived.
    const QNetworkReply::NetworkError error = reply->error();
    const bool connectionFailed = error != QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied;
    if (m_responded && !connectionFailed)
        Q_EMIT finished();
    else
        Q_EMIT failed(reply->errorString());
}
