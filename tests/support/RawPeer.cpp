#include "RawPeer.h"

#include <QtTest>

RawPeer::RawPeer(quint16 port)
{
    QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] { read(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        qWarning("RawPeer: no connection to port %u", port);
}

void RawPeer::sendMessage(const QByteArray &message)
{
    sendRaw(PeerFraming::frame(message));
}

QByteArray RawPeer::sayHello(const QString &displayName)
{
    const qsizetype before = messages.size();
    sendMessage(PeerFraming::hello(displayName));
    return waitForMessages(int(before) + 1) ? messages.at(before) : QByteArray();
}

void RawPeer::sendRaw(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

void RawPeer::read()
{
    m_reader.append(socket.readAll());
    QByteArray message;
    while (m_reader.next(message) == PeerFraming::Reader::Next::Message)
        messages.append(message);
}

bool RawPeer::waitForMessages(int count)
{
    return QTest::qWaitFor([&] { return messages.size() >= count; }, 5000);
}

bool RawPeer::waitForClose()
{
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
}
