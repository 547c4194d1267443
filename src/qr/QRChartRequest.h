#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// One POST to a chart web service that answers a QR image: the body is
// "cht=qr&chs=WxH&chl=" and the text, UTF-8, not percent-encoded, with its Content-Length,
// a 30 second time-out and no cache. Signals arrive on the thread that started it.
class QRChartRequest : public QObject {
    Q_OBJECT
public:
    explicit QRChartRequest(QObject *parent = nullptr);
    ~QRChartRequest() override;

    // The request body for a size in pixels.
    static QByteArray body(const QString &text, int pixels);

    // Starts the request (dropping one still running).
    void start(const QUrl &endpoint, const QString &text, int pixels);
    void abort();
    bool isRunning() const { return !m_reply.isNull(); }

    // Every byte received so far (also of a response that is no image).
    const QByteArray &received() const { return m_received; }

Q_SIGNALS:
    // The server answered; `isPng` tells whether its MIME type is "image/png".
    void responded(bool isPng);
    // Loading ended with a response: received() holds the whole body.
    void finished();
    // No response: the connection failed or timed out; `message` says why.
    void failed(const QString &message);

private:
    void onMetaData();
    void onFinished();

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_received;
    bool m_responded = false;
};
