#include "RawHttp.h"

#include <QHostAddress>
#include <QTest>

std::optional<QByteArray> RawHttp::Response::field(QByteArrayView name) const
{
    for (const auto &[fieldName, value] : fields) {
        if (QByteArrayView(fieldName).compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

RawHttp::RawHttp(quint16 port) : m_socket(std::make_unique<QTcpSocket>())
{
    m_socket->connectToHost(QHostAddress::LocalHost, port);
    (void)QTest::qWaitFor([this] { return m_socket->state() == QAbstractSocket::ConnectedState; }, 5000);
}

bool RawHttp::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

void RawHttp::send(const QByteArray &bytes)
{
    m_socket->write(bytes);
    m_socket->flush();
}

std::optional<RawHttp::Response> RawHttp::read(bool headOnly, int waitMs)
{
    Response response;
    qsizetype headEnd = -1;
    auto takeAvailable = [this] { m_buffer += m_socket->readAll(); };
    (void)QTest::qWaitFor([&] {
        takeAvailable();
        headEnd = m_buffer.indexOf("\r\n\r\n");
        return headEnd >= 0 || m_socket->state() != QAbstractSocket::ConnectedState;
    }, waitMs);
    if (headEnd < 0)
        return std::nullopt;
    response.head = m_buffer.left(headEnd);
    m_buffer.remove(0, headEnd + 4);
    const QList<QByteArray> lines = response.head.split('\n');
    response.status = lines.first().split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        response.fields.append({line.left(colon), line.mid(colon + 1).trimmed()});
    }
    const qsizetype length = headOnly ? 0 : response.field("Content-Length").value_or("0").toLongLong();
    (void)QTest::qWaitFor([&] {
        takeAvailable();
        return m_buffer.size() >= length || m_socket->state() != QAbstractSocket::ConnectedState;
    }, waitMs);
    takeAvailable();
    if (m_buffer.size() < length)
        return std::nullopt;
    response.body = m_buffer.left(length);
    m_buffer.remove(0, length);
    return response;
}

bool RawHttp::closedByServer(int waitMs)
{
    return QTest::qWaitFor([this] {
        m_buffer += m_socket->readAll();
        return m_socket->state() == QAbstractSocket::UnconnectedState;
    }, waitMs);
}

QByteArray RawHttp::pending()
{
    m_buffer += m_socket->readAll();
    return std::exchange(m_buffer, QByteArray());
}
