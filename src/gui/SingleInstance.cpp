#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int kTimeoutMs = 2000;
constexpr qint64 kMaxMessage = 64 * 1024;
}

SingleInstance::SingleInstance(const QString &key, QObject *parent) : QObject(parent), m_name(key) {}

QString SingleInstance::serverName(const QString &documentsDir)
{
    const QByteArray identity = QByteArray::number(uint(getuid())) + ':' + documentsDir.toUtf8();
    return QStringLiteral("vennaro-") + QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha1).toHex().left(16));
}

bool SingleInstance::sendToRunning(const QString &message)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write(message.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kTimeoutMs);
    return true;
}

bool SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // A socket file left by a program that ended without cleaning up.
        QLocalServer::removeServer(m_name);
        if (!m_server->listen(m_name))
            return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kMaxMessage)
                        socket->abort();
                    return;
                }
                const QString message = QString::fromUtf8(socket->readLine()).chopped(1);
                socket->disconnectFromServer();
                Q_EMIT messageReceived(message);
            });
        }
    });
    return true;
}
