#pragma once

#include "PeerFraming.h"
#include "PeerSession.h"

#include <QHash>
#include <QHostAddress>
#include <QPointer>

#include <optional>
#include <utility>

class PeerLink;
class QTcpServer;
class RfcommListener;

// A peer session over byte streams: TCP on the local network and, where the machine has a
// Bluetooth adapter, RFCOMM. The receiving side listens (TCP port 8090 on all addresses unless
// told otherwise, plus the RFCOMM service); the sending side connects to "host[:port]" or to
// "bt:" and a Bluetooth device address. The connecting side opens with a hello
// (PeerFraming), the listening side answers it with one byte; afterwards each framed message
// is one message of the session. One peer is served at a time: a request while another is
// asked for or connected is denied without asking.
class PeerTransport : public PeerSession {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 8090;
    // How long a handshake may take: the hello from a peer that connected to us, and (for our
    // own request) the connection plus the answer, which waits for the other user's decision.
    static constexpr int kHelloTimeout = 10000;  // ms
    static constexpr int kAnswerTimeout = 60000; // ms

    explicit PeerTransport(const QString &displayName, QObject *parent = nullptr);
    ~PeerTransport() override;

    void setListenAddress(const QHostAddress &address, quint16 port);
    void setHandshakeTimeouts(int helloMilliseconds, int answerMilliseconds);
    QHostAddress serverAddress() const;
    // The TCP port listened on (the one chosen by the system when 0 was asked for).
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
        QPointer<PeerLink> link;
        PeerFraming::Reader reader;
        QString name;
        Stage stage = Stage::Connecting;
    };

    void acceptPendingConnections();
    void acceptLink(PeerLink *link);
    // An outgoing link to `address`; an Error when it is not an address or there is no
    // Bluetooth adapter for a Bluetooth one.
    Result<PeerLink *> openLink(const QString &address);
    QString addPeer(PeerLink *link, Stage stage, const QString &id, const QString &name);
    void linkConnected(const QString &peerId);
    void linkFailed(const QString &peerId, const QString &message);
    void readMessages(const QString &peerId);
    // Handles one message; false when the peer is gone afterwards.
    bool handleMessage(const QString &peerId, const QByteArray &message);
    void handleHello(const QString &peerId, const QByteArray &message);
    void handleAnswer(const QString &peerId, const QByteArray &message);
    void linkClosed(const QString &peerId);
    void connectionFailed(const QString &peerId, const QString &message);
    // A peer still in the handshake when its time is up is dropped.
    void handshakeExpired(const QString &peerId, const PeerLink *link);
    bool servesAnotherPeer(const QString &peerId) const;
    void write(PeerLink *link, const QByteArray &message);
    // Forgets the peer and closes its link once everything written has gone out.
    void dropPeer(const QString &peerId);

    QString m_displayName;
    QHostAddress m_listenAddress = QHostAddress::Any;
    quint16 m_listenPort = kDefaultPort;
    int m_helloTimeout = kHelloTimeout;
    int m_answerTimeout = kAnswerTimeout;
    QTcpServer *m_server = nullptr;
    RfcommListener *m_rfcomm = nullptr;
    QHash<QString, Peer> m_peers;
    int m_lastId = 0;
};
