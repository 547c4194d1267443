#include "TcpPeerTransport.h"

#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QTcpServer>
#include <QtEndian>
#include <QTcpSocket>
#include <QTimer>

namespace {
const int kClosingGrace = 30000; // ms
const qsizetype kMostWaitingBytes = 4 * (4 + qsizetype(PeerFraming::kMaxMessage));

void log(const QString &line)
{
    DevLog::log(QStringLiteral("TcpPeerTransport ") + line);
}
}

TcpPeerTransport::TcpPeerTransport(const QString &displayName, QObject *parent)
    : PeerSession(parent), m_displayName(displayName)
{
}

TcpPeerTransport::~TcpPeerTransport()
{
    const QStringList ids = m_peers.keys();
    for (const QString &id : ids)
        dropPeer(id);
}

void TcpPeerTransport::setListenAddress(const QHostAddress &address, quint16 port)
{
    m_listenAddress = address;
    m_listenPort = port;
}

QHostAddress TcpPeerTransport::serverAddress() const
{
    return m_server ? m_server->serverAddress() : m_listenAddress;
}

quint16 TcpPeerTransport::serverPort() const
{
    return m_server ? m_server->serverPort() : m_listenPort;
}

std::optional<std::pair<QString, quint16>> TcpPeerTransport::parseAddress(const QString &text, quint16 defaultPort)
{
    const QString trimmed = text.trimmed();
    QString host = trimmed;
    QString port;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            port = rest.mid(1);
        }
    } else if (trimmed.count(QLatin1Char(':')) == 1) {
        host = trimmed.section(QLatin1Char(':'), 0, 0);
        port = trimmed.section(QLatin1Char(':'), 1);
    }
    if (host.isEmpty() || host.contains(QLatin1Char(' ')))
        return std::nullopt;
    if (port.isEmpty())
        return std::make_pair(host, defaultPort);
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return std::nullopt;
    return std::make_pair(host, quint16(number));
}

Result<void> TcpPeerTransport::setAvailable(bool available)
{
    if (!available) {
        delete m_server;
        m_server = nullptr;
        return {};
    }
    if (m_server)
        return {};
    m_server = new QTcpServer(this);
    if (!m_server->listen(m_listenAddress, m_listenPort)) {
        const QString message = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return Error{message};
    }
    connect(m_server, &QTcpServer::newConnection, this, &TcpPeerTransport::acceptPendingConnections);
    return {};
}

void TcpPeerTransport::acceptPendingConnections()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        const QString id = addPeer(socket, Stage::Hello, QStringLiteral("peer%1").arg(++m_lastId), QString());
        readMessages(id);
    }
}

QString TcpPeerTransport::addPeer(QTcpSocket *socket, Stage stage, const QString &id, const QString &name)
{
    socket->setParent(this);
    // One message waits for the other side's answer: nothing may hold it back.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_peers.insert(id, Peer{socket, {}, name, stage});
    connect(socket, &QTcpSocket::readyRead, this, [this, id] { readMessages(id); });
    connect(socket, &QTcpSocket::disconnected, this, [this, id] { socketClosed(id); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, id, socket] {
        auto it = m_peers.find(id);
        if (it == m_peers.end() || it->socket != socket)
            return;
        if (it->stage == Stage::Connecting || it->stage == Stage::AwaitingAnswer)
            connectionFailed(id, socket->errorString());
        else if (socket->state() == QAbstractSocket::UnconnectedState)
            socketClosed(id);
    });
    return id;
}

void TcpPeerTransport::connectToPeer(const QString &address)
{
    const auto hostAndPort = parseAddress(address, kDefaultPort);
    if (!hostAndPort) {
        Q_EMIT connectionWithPeerFailed(address, L("KPeerBadAddress").arg(address));
        return;
    }
    dropPeer(address);
    auto *socket = new QTcpSocket(this);
    addPeer(socket, Stage::Connecting, address, address);
    connect(socket, &QTcpSocket::connected, this, [this, address, socket] {
        auto it = m_peers.find(address);
        if (it == m_peers.end() || it->socket != socket)
            return;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        it->stage = Stage::AwaitingAnswer;
        write(socket, PeerFraming::hello(m_displayName));
    });
    Q_EMIT peerChangedState(address, PeerStateConnecting);
    socket->connectToHost(hostAndPort->first, hostAndPort->second);
}

void TcpPeerTransport::readMessages(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || !it->socket)
        return;
    it->reader.append(it->socket->readAll());
    QByteArray message;
    for (;;) {
        it = m_peers.find(peerId);
        if (it == m_peers.end())
            return;
        // Messages behind the hello wait for the user's answer, up to a few of them.
        if (it->stage == Stage::Asking) {
            if (it->reader.buffered() > kMostWaitingBytes) {
                log(QStringLiteral("%1: too much sent before the session was accepted").arg(peerId));
                dropPeer(peerId);
            }
            return;
        }
        const PeerFraming::Reader::Next next = it->reader.next(message);
        if (next == PeerFraming::Reader::Next::Incomplete)
            return;
        if (next == PeerFraming::Reader::Next::Bad) {
            log(QStringLiteral("%1: a message length outside 1..%2 ends the session").arg(peerId).arg(PeerFraming::kMaxMessage));
            if (it->socket)
                it->socket->abort();
            socketClosed(peerId);
            return;
        }
        if (!handleMessage(peerId, message))
            return;
    }
}

bool TcpPeerTransport::handleMessage(const QString &peerId, const QByteArray &message)
{
    switch (m_peers.value(peerId).stage) {
    case Stage::Hello:
        handleHello(peerId, message);
        break;
    case Stage::AwaitingAnswer:
        handleAnswer(peerId, message);
        break;
    case Stage::Connected:
        Q_EMIT dataReceived(message, peerId);
        break;
    case Stage::Asking:
    case Stage::Connecting:
        break;
    }
    return m_peers.contains(peerId);
}

void TcpPeerTransport::handleHello(const QString &peerId, const QByteArray &message)
{
    Peer &peer = m_peers[peerId];
    const std::optional<QString> name = PeerFraming::checkHello(message);
    if (!name || servesAnotherPeer(peerId)) {
        log(QStringLiteral("%1 denied: %2").arg(peerId, name ? QStringLiteral("another peer is served")
                                                             : QStringLiteral("not a hello of this session")));
        write(peer.socket, PeerFraming::answer(false));
        dropPeer(peerId);
        return;
    }
    peer.name = *name;
    peer.stage = Stage::Asking;
    Q_EMIT connectionRequested(peerId);
}

void TcpPeerTransport::handleAnswer(const QString &peerId, const QByteArray &message)
{
    if (message == PeerFraming::answer(true)) {
        m_peers[peerId].stage = Stage::Connected;
        Q_EMIT peerChangedState(peerId, PeerStateConnected);
        return;
    }
    connectionFailed(peerId, message == PeerFraming::answer(false) ? L("KPeerDenied") : L("KPeerBadAnswer"));
}

bool TcpPeerTransport::servesAnotherPeer(const QString &peerId) const
{
    for (auto it = m_peers.cbegin(); it != m_peers.cend(); ++it) {
        if (it.key() != peerId && (it->stage == Stage::Asking || it->stage == Stage::Connected))
            return true;
    }
    return false;
}

void TcpPeerTransport::acceptConnectionFromPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Asking)
        return;
    it->stage = Stage::Connected;
    write(it->socket, PeerFraming::answer(true));
    Q_EMIT peerChangedState(peerId, PeerStateConnected);
    // Messages that came right behind the hello.
    readMessages(peerId);
}

void TcpPeerTransport::denyConnectionFromPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Asking)
        return;
    write(it->socket, PeerFraming::answer(false));
    dropPeer(peerId);
}

bool TcpPeerTransport::sendData(const QByteArray &message, const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Connected || !it->socket)
        return false;
    if (message.isEmpty() || quint32(message.size()) > PeerFraming::kMaxMessage)
        return false;
    write(it->socket, message);
    return true;
}

void TcpPeerTransport::write(QTcpSocket *socket, const QByteArray &message)
{
    if (!socket)
        return;
    char length[4];
    qToBigEndian<quint32>(quint32(message.size()), length);
    socket->write(length, 4);
    socket->write(message);
    // Out now rather than on the next turn of the event loop: the peer waits for it.
    socket->flush();
}

void TcpPeerTransport::disconnectFromAllPeers()
{
    const QStringList ids = m_peers.keys();
    for (const QString &id : ids) {
        const bool wasConnected = m_peers.value(id).stage == Stage::Connected;
        dropPeer(id);
        if (wasConnected)
            Q_EMIT peerChangedState(id, PeerStateDisconnected);
    }
}

QString TcpPeerTransport::displayNameForPeer(const QString &peerId) const
{
    return m_peers.value(peerId).name;
}

void TcpPeerTransport::socketClosed(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end())
        return;
    const Stage stage = it->stage;
    if (stage == Stage::Connecting || stage == Stage::AwaitingAnswer) {
        connectionFailed(peerId, L("KPeerClosed"));
        return;
    }
    dropPeer(peerId);
    if (stage == Stage::Connected)
        Q_EMIT peerChangedState(peerId, PeerStateDisconnected);
}

void TcpPeerTransport::connectionFailed(const QString &peerId, const QString &message)
{
    if (!m_peers.contains(peerId))
        return;
    dropPeer(peerId);
    Q_EMIT connectionWithPeerFailed(peerId, message);
}

void TcpPeerTransport::dropPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end())
        return;
    QPointer<QTcpSocket> socket = it->socket;
    m_peers.erase(it);
    if (!socket)
        return;
    socket->disconnect(this);
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    // Whatever was written last (an answer, a verdict) still goes out before the close, even
    // when the session itself goes away meanwhile; a peer that never lets it go loses it.
    socket->setParent(nullptr);
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kClosingGrace, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
}
