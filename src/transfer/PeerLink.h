#pragma once

#include <QIODevice>
#include <QObject>

#include <type_traits>

class QAbstractSocket;

// One connection of a peer session, whatever carries it (a TCP or an RFCOMM socket): the byte
// stream the framed messages travel on, and how the connection ends.
class PeerLink : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual QIODevice *stream() const = 0;
    virtual bool isClosed() const = 0;
    // Out now rather than on the next turn of the event loop: the peer waits for it.
    virtual void flush() = 0;
    virtual void abort() = 0;
    // Closes the connection once whatever was written has gone out, even when the session
    // itself goes away meanwhile; a peer that never takes it loses it after a grace period.
    // The link deletes itself.
    void closeGracefully();

Q_SIGNALS:
    void connected();
    void closed();
    // An error on the connection; it may be closed by now (isClosed) or not yet.
    void failed(const QString &message);

protected:
    virtual void disconnectStream() = 0;
};

// A link over a Qt socket: QTcpSocket, or QBluetoothSocket for RFCOMM. Takes the socket.
template <class Socket>
class SocketLink final : public PeerLink {
public:
    explicit SocketLink(Socket *socket, QObject *parent = nullptr) : PeerLink(parent), m_socket(socket)
    {
        socket->setParent(this);
        QObject::connect(socket, &Socket::connected, this, &PeerLink::connected);
        QObject::connect(socket, &Socket::disconnected, this, &PeerLink::closed);
        QObject::connect(socket, &Socket::errorOccurred, this, [this] { Q_EMIT failed(m_socket->errorString()); });
    }
    Socket *socket() const { return m_socket; }
    QIODevice *stream() const override { return m_socket; }
    bool isClosed() const override { return m_socket->state() == decltype(m_socket->state())::UnconnectedState; }
    void flush() override
    {
        if constexpr (std::is_base_of_v<QAbstractSocket, Socket>)
            m_socket->flush();
    }
    void abort() override { m_socket->abort(); }

protected:
    void disconnectStream() override
    {
        if constexpr (std::is_base_of_v<QAbstractSocket, Socket>)
            m_socket->disconnectFromHost();
        else
            m_socket->disconnectFromService();
    }

private:
    Socket *m_socket;
};
