#pragma once

#include "PeerFraming.h"
#include "PeerSession.h"

#include <QHash>
#include <QHostAddress>
#include <QPointer>

#include <optional>
#include <utility>

class QTcpServer;
class QTcpSocket;

// A peer session over TCP: the receiving side listens (port 8090 on all addresses unless told
// otherwise), the sending side connects to "host[:port]". The connecting side opens with a
// hello (PeerFraming), the listening side answers it with one byte; afterwards each framed
// message is one message of the session. One peer is served at a time: a request while another
// is asked for or connected is denied without asking.
class TcpPeerTransport : public PeerSession {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 8090;

    explicit TcpPeerTransport(const QString &displayName, QObject *parent = nullptr);
    ~TcpPeerTransport() override;

    void setListenAddress(const QHostAddress &address, quint16 port);
    QHostAddress serverAddress() const;
    // The port listened on (the one chosen by the system when 0 was asked for).
    quint16 serverPort() const;

    // "host", "host:port", "[v6]:port" or a bare IPv6 address; none when it is not one.
    static std::optional<std::pair<QString, quint16>> parseAddress(const QString &text, quint16 defaultPort);

    Result<void> setAvailable(bool available) override;
    void connectToPeer(const QString &address) override;
    void acceptConnectionFromPeer(const QString &peerId) override;
    void denyConnectionFromPeer(const QString &peerId) override;
    bool sendData(const QByteArray &message, const QString &peerId) override;
    void disconnectFromAllPeers() override;
    QString displayNameForPeer(const QString &peerId) const override;

private:
    enum class Stage { Connecting, AwaitingAnswer, Hello, Asking, Connected };
    struct Peer {
        QPointer<QTcpSocket> socket;
        PeerFraming::Reader reader;
        QString name;
        Stage stage = Stage::Connecting;
    };

    void acceptPendingConnections();
    QString addPeer(QTcpSocket *socket, Stage stage, const QString &id, const QString &name);
    void readMessages(const QString &peerId);
    // Handles one message; false when the peer is gone afterwards.
    bool handleMessage(const QString &peerId, const QByteArray &message);
    void handleHello(const QString &peerId, const QByteArray &message);
    void handleAnswer(const QString &peerId, const QByteArray &message);
    void socketClosed(const QString &peerId);
    void connectionFailed(const QString &peerId, const QString &message);
    bool servesAnotherPeer(const QString &peerId) const;
    void write(QTcpSocket *socket, const QByteArray &message);
    // Forgets the peer and closes its socket once everything written has gone out.
    void dropPeer(const QString &peerId);

    QString m_displayName;
    QHostAddress m_listenAddress = QHostAddress::Any;
    quint16 m_listenPort = kDefaultPort;
    QTcpServer *m_server = nullptr;
    QHash<QString, Peer> m_peers;
    int m_lastId = 0;
};
