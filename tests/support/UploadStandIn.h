#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

// A raw HTTP server on loopback for upload clients: records every request as it came over the
// wire and answers each with the next scripted answer (the last one repeats). An answer is
// written in its pieces, 50 ms apart; no pieces means no answer at all.
class UploadStandIn : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray head; // request line and header fields, without the empty line
        QByteArray body;
        QByteArray header(const QByteArray &name) const;
    };

    explicit UploadStandIn(QList<QList<QByteArray>> answers);
    quint16 port() const { return m_server.serverPort(); }
    QUrl url(const QString &path = QStringLiteral("/filepost")) const;

    QList<Request> requests;

    // A whole answer: status line, the fields for `body` and the body.
    static QByteArray answer(const QByteArray &status, const QByteArray &body, const QByteArray &extraFields = QByteArray());

private:
    void read(QTcpSocket *socket);

    QTcpServer m_server;
    QList<QList<QByteArray>> m_answers;
};
