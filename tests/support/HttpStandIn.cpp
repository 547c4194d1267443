#include "HttpStandIn.h"

#include <QTcpSocket>

namespace {
QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 201: return "Created";
    case 204: return "No Content";
    case 302: return "Found";
    case 308: return "Resume Incomplete";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 409: return "Conflict";
    case 429: return "Too Many Requests";
    default: return "Status";
    }
}
}

QString HttpStandIn::Request::bearer() const
{
    const QByteArray authorization = header("authorization");
    return authorization.startsWith("Bearer ") ? QString::fromLatin1(authorization.mid(7)) : QString();
}

HttpStandIn::HttpStandIn(QObject *parent) : QObject(parent)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    });
}

QUrl HttpStandIn::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

int HttpStandIn::count(const QString &pathPrefix) const
{
    return int(std::count_if(requests.begin(), requests.end(), [&](const Request &r) { return r.target.path().startsWith(pathPrefix); }));
}

HttpStandIn::Response HttpStandIn::json(int status, const QByteArray &body)
{
    return {status, {{"Content-Type", "application/json"}}, body};
}

HttpStandIn::Response HttpStandIn::text(int status, const QByteArray &body)
{
    return {status, {{"Content-Type", "text/plain; charset=utf-8"}}, body};
}

QUrlQuery HttpStandIn::form(const QByteArray &body)
{
    // Form bodies write spaces as "+"; QUrlQuery would keep them.
    return QUrlQuery(QString::fromLatin1(QByteArray(body).replace('+', "%20")));
}

void HttpStandIn::read(QTcpSocket *socket)
{
    QByteArray data = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", data);
    const qsizetype headEnd = data.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return;
    Request request;
    const QList<QByteArray> lines = data.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = QUrl::fromEncoded(requestLine.value(1));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const qsizetype length = request.header("content-length").toLongLong();
    if (data.size() - headEnd - 4 < length)
        return;
    request.body = data.mid(headEnd + 4, length);
    socket->setProperty("buffer", QByteArray());
    requests.append(request);
    const Response response = handle(request);
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason(response.status) + "\r\n";
    for (const auto &[name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n\r\n" + response.body;
    socket->write(out);
    socket->disconnectFromHost();
}
