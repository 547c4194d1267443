#include "HTTPServer.h"

#include "HTTPConnection.h"
#include "platform/DevLog.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>

HTTPServer::HTTPServer(QObject *parent) : QObject(parent), m_listener(new QTcpServer(this))
{
    setConnectionClass<HTTPConnection>();
    connect(m_listener, &QTcpServer::newConnection, this, &HTTPServer::acceptPending);
}

HTTPServer::~HTTPServer()
{
    stop();
}

void HTTPServer::setUploadPath(const QString &folder)
{
    m_uploadPath = folder;
    if (!folder.isEmpty())
        QDir().mkpath(folder);
}

QString HTTPServer::resourceFolder() const
{
    return m_resourceBase + QLatin1Char('/') + m_relativePath;
}

void HTTPServer::setTimeouts(std::chrono::milliseconds header, std::chrono::milliseconds idle)
{
    m_headerTimeout = header;
    m_idleTimeout = idle;
}

Result<void> HTTPServer::start()
{
    if (!m_listener->listen(m_bindAddress, m_port)) {
        const QString message = m_listener->errorString();
        DevLog::log(QStringLiteral("Failed to start HTTP Server: %1").arg(message));
        return Error{message};
    }
    m_port = m_listener->serverPort();
    DevLog::log(QStringLiteral("Started HTTP server on port %1").arg(m_port));
    return {};
}

void HTTPServer::stop()
{
    m_listener->close();
    QList<HTTPConnection *> closing;
    {
        QMutexLocker locker(&m_connectionsLock);
        closing.swap(m_connections);
    }
    for (HTTPConnection *connection : closing) {
        disconnect(connection, nullptr, this, nullptr);
        delete connection;
    }
}

bool HTTPServer::isRunning() const
{
    return m_listener->isListening();
}

int HTTPServer::numberOfHTTPConnections() const
{
    QMutexLocker locker(&m_connectionsLock);
    return int(m_connections.size());
}

void HTTPServer::acceptPending()
{
    while (QTcpSocket *socket = m_listener->nextPendingConnection()) {
        QMutexLocker locker(&m_connectionsLock);
        if (m_connections.size() >= m_maxConnections) {
            locker.unlock();
            socket->abort();
            socket->deleteLater();
            continue;
        }
        HTTPConnection *connection = m_connectionFactory(socket, this);
        m_connections.append(connection);
        locker.unlock();
        connect(connection, &HTTPConnection::died, this, &HTTPServer::connectionDidDie);
        connection->start();
    }
}

void HTTPServer::connectionDidDie(HTTPConnection *connection)
{
    {
        QMutexLocker locker(&m_connectionsLock);
        if (!m_connections.removeOne(connection))
            return;
    }
    connection->deleteLater();
}
