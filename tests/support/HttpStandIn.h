#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QTcpServer>
#include <QUrl>
#include <QUrlQuery>

// A small HTTP/1.1 server on 127.0.0.1 for tests: reads whole requests (Content-Length
// bodies), hands them to `handle` and answers with Connection: close. Every request is kept
// for the test to look at.
class HttpStandIn : public QObject {
    Q_OBJECT
public:
    struct Request {
        QByteArray method;
        QUrl target; // path and query
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;

        QByteArray header(const char *name) const { return headers.value(QByteArray(name)); }
        QString query(const char *key) const
        {
            return QUrlQuery(target).queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded);
        }
        // The bearer token of the Authorization header ("" without one).
        QString bearer() const;
    };
    struct Response {
        int status = 200;
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
    };

    explicit HttpStandIn(QObject *parent = nullptr);
    QUrl url() const; // http://127.0.0.1:PORT
    quint16 port() const { return m_server.serverPort(); }

    QList<Request> requests;
    // Requests whose path starts with `prefix`.
    int count(const QString &pathPrefix) const;

    static Response json(int status, const QByteArray &body);
    static Response text(int status, const QByteArray &body);
    // An application/x-www-form-urlencoded body as key/value pairs.
    static QUrlQuery form(const QByteArray &body);

protected:
    virtual Response handle(const Request &request) = 0;

private:
    void read(class QTcpSocket *socket);
    QTcpServer m_server;
};
