#pragma once

#include "platform/Result.h"

#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

class HTTPConnection;
class QTcpServer;
class QTcpSocket;

// The embedded HTTP/1.1 server: listens on the main thread's event loop, gives every accepted
// socket a connection object of the configured class and keeps the list of live ones. It
// serves without authentication or TLS, so it binds where it is told and announces nothing.
class HTTPServer : public QObject {
    Q_OBJECT
public:
    // Makes the connection object for an accepted socket (which it then owns).
    using ConnectionFactory = std::function<HTTPConnection *(QTcpSocket *socket, HTTPServer *server)>;

    static constexpr int kMaxConnections = 512;

    explicit HTTPServer(QObject *parent = nullptr);
    ~HTTPServer() override;

    // The folder request paths are resolved against; empty serves nothing.
    const QString &documentRoot() const { return m_documentRoot; }
    void setDocumentRoot(const QString &folder) { m_documentRoot = folder; }

    // The folder uploads are written to; created when it does not exist.
    const QString &uploadPath() const { return m_uploadPath; }
    void setUploadPath(const QString &folder);

    // The web application's resource folder is resourceBase()/relativePath(); its files are
    // served under "/" + relativePath(). The base defaults to the program's own resources (":").
    const QString &relativePath() const { return m_relativePath; }
    void setRelativePath(const QString &name) { m_relativePath = name; }
    const QString &resourceBase() const { return m_resourceBase; }
    void setResourceBase(const QString &folder) { m_resourceBase = folder; }
    QString resourceFolder() const;

    // What the web application offers (bit set; see HttpFTConnection). Default 0.
    uint PERMISSIONS() const { return m_permissions; }
    void setPERMISSIONS(uint permissions) { m_permissions = permissions; }

    // The class of connection made for each socket; default HTTPConnection.
    void setConnectionFactory(ConnectionFactory factory) { m_connectionFactory = std::move(factory); }
    template <typename Connection>
    void setConnectionClass()
    {
        setConnectionFactory([](QTcpSocket *socket, HTTPServer *server) { return new Connection(socket, server); });
    }

    // The port to listen on (default 8080, 0 lets the system choose); after start() the port
    // actually bound.
    quint16 port() const { return m_port; }
    void setPort(quint16 port) { m_port = port; }
    // The address to listen on; the default (Any) is every IPv4 and IPv6 address.
    const QHostAddress &bindAddress() const { return m_bindAddress; }
    void setBindAddress(const QHostAddress &address) { m_bindAddress = address; }

    // A connection that has not sent a whole request head within `header`, or sent nothing
    // for `idle` between requests or within a body, is closed. Defaults: 60 s and 120 s.
    void setTimeouts(std::chrono::milliseconds header, std::chrono::milliseconds idle);
    std::chrono::milliseconds headerTimeout() const { return m_headerTimeout; }
    std::chrono::milliseconds idleTimeout() const { return m_idleTimeout; }
    // At most this many connections are served at once (default kMaxConnections); a further
    // one is accepted and closed at once.
    void setMaxConnections(int count) { m_maxConnections = count; }

    // Listens; on failure the socket layer's message. Logs either way.
    Result<void> start();
    // Stops listening and closes every connection. The server can be started again.
    void stop();
    bool isRunning() const;

    // Live connections; may be asked from any thread.
    int numberOfHTTPConnections() const;

    // Connections report what they did; the server hands it on as trace().
    void postTrace(const QString &line) { Q_EMIT trace(line); }

Q_SIGNALS:
    // One line for each action of the web application ("Get /", "Upload /a.vcf", …). The
    // names in it are as they are: escape them before showing them as HTML.
    void trace(const QString &line);

private:
    void acceptPending();
    void connectionDidDie(HTTPConnection *connection);

    QTcpServer *m_listener = nullptr;
    QString m_documentRoot;
    QString m_uploadPath;
    QString m_relativePath;
    QString m_resourceBase = QStringLiteral(":");
    uint m_permissions = 0;
    ConnectionFactory m_connectionFactory;
    quint16 m_port = 8080;
    QHostAddress m_bindAddress{QHostAddress::Any};
    std::chrono::milliseconds m_headerTimeout{60000};
    std::chrono::milliseconds m_idleTimeout{120000};
    int m_maxConnections = kMaxConnections;
    QList<HTTPConnection *> m_connections;  // owned
    mutable QMutex m_connectionsLock;
};
