#include "UploadStandIn.h"

#include <QTcpSocket>
#include <QTimer>

QByteArray UploadStandIn::Request::header(const QByteArray &name) const
{
    for (const QByteArray &line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

UploadStandIn::UploadStandIn(QList<QList<QByteArray>> answers) : m_answers(std::move(answers))
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
    });
}

QUrl UploadStandIn::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path));
}

QByteArray UploadStandIn::answer(const QByteArray &status, const QByteArray &body, const QByteArray &extraFields)
{
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n" + extraFields
           + "\r\n" + body;
}

void UploadStandIn::read(QTcpSocket *socket)
{
    // Each connection keeps what it has not yet parsed in a property of its own.
    QByteArray buffer = socket->property("pending").toByteArray() + socket->readAll();
    for (;;) {
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            break;
        Request request{buffer.left(end), QByteArray()};
        const qint64 length = request.header("content-length").toLongLong();
        if (buffer.size() - end - 4 < length)
            break;
        request.body = buffer.mid(end + 4, length);
        buffer.remove(0, end + 4 + length);
        requests.append(request);
        const QList<QByteArray> pieces = m_answers.value(std::min(requests.size(), m_answers.size()) - 1);
        for (int i = 0; i < pieces.size(); ++i) {
            QTimer::singleShot(50 * i, socket, [socket, piece = pieces[i]] {
                socket->write(piece);
                socket->flush();
            });
        }
    }
    socket->setProperty("pending", buffer);
}
