#include "PeerTransport.h"

#include "PeerLink.h"
#include "Rfcomm.h"
#include "platform/DevLog.h"
#include "platform/Localization.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
const qsizetype kMostWaitingBytes = 4 * (4 + qsizetype(PeerFraming::kMaxMessage));

void log(const QString &line)
{
    DevLog::log(QStringLiteral("PeerTransport ") + line);
}
}

PeerTransport::PeerTransport(const QString &displayName, QObject *parent)
    : PeerSession(parent), m_displayName(displayName)
{
}

PeerTransport::~PeerTransport()
{
    const QStringList ids = m_peers.keys();
    for (const QString &id : ids)
        dropPeer(id);
}

void PeerTransport::setListenAddress(const QHostAddress &address, quint16 port)
{
    m_listenAddress = address;
    m_listenPort = port;
}

void PeerTransport::setHandshakeTimeouts(int helloMilliseconds, int answerMilliseconds)
{
    m_helloTimeout = helloMilliseconds;
    m_answerTimeout = answerMilliseconds;
}

QHostAddress PeerTransport::serverAddress() const
{
    return m_server ? m_server->serverAddress() : m_listenAddress;
}

quint16 PeerTransport::serverPort() const
{
    return m_server ? m_server->serverPort() : m_listenPort;
}

std::optional<std::pair<QString, quint16>> PeerTransport::parseAddress(const QString &text, quint16 defaultPort)
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

Result<void> PeerTransport::setAvailable(bool available)
{
    if (!available) {
        delete m_server;
        m_server = nullptr;
        delete m_rfcomm;
        m_rfcomm = nullptr;
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
    connect(m_server, &QTcpServer::newConnection, this, &PeerTransport::acceptPendingConnections);
    // Bluetooth comes on top where there is an adapter; the network alone serves without it.
    if (Rfcomm::adapterPresent()) {
        m_rfcomm = new RfcommListener(this);
        connect(m_rfcomm, &RfcommListener::newLink, this, &PeerTransport::acceptLink);
        if (const Result<void> listening = m_rfcomm->listen(); !listening) {
            log(QStringLiteral("no RFCOMM service: %1").arg(listening.error()));
            delete m_rfcomm;
            m_rfcomm = nullptr;
        }
    }
    return {};
}

void PeerTransport::acceptPendingConnections()
{
    while (m_server && m_server->hasPendingConnections()) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        acceptLink(new SocketLink<QTcpSocket>(socket));
    }
}

void PeerTransport::acceptLink(PeerLink *link)
{
    const QString id = addPeer(link, Stage::Hello, QStringLiteral("peer%1").arg(++m_lastId), QString());
    readMessages(id);
}

QString PeerTransport::addPeer(PeerLink *link, Stage stage, const QString &id, const QString &name)
{
    link->setParent(this);
    m_peers.insert(id, Peer{link, {}, name, stage});
    connect(link->stream(), &QIODevice::readyRead, this, [this, id] { readMessages(id); });
    connect(link, &PeerLink::connected, this, [this, id] { linkConnected(id); });
    connect(link, &PeerLink::closed, this, [this, id] { linkClosed(id); });
    connect(link, &PeerLink::failed, this, [this, id](const QString &message) { linkFailed(id, message); });
    QTimer::singleShot(stage == Stage::Hello ? m_helloTimeout : m_answerTimeout, link,
                       [this, id, link] { handshakeExpired(id, link); });
    return id;
}

Result<PeerLink *> PeerTransport::openLink(const QString &address)
{
    if (const std::optional<QBluetoothAddress> device = Rfcomm::deviceAddress(address)) {
        if (!Rfcomm::adapterPresent())
            return Error{L("KPeerNoBluetooth")};
        return Rfcomm::connectTo(*device);
    }
    const auto hostAndPort = parseAddress(address, kDefaultPort);
    if (!hostAndPort)
        return Error{L("KPeerBadAddress").arg(address)};
    auto *socket = new QTcpSocket;
    auto *link = new SocketLink<QTcpSocket>(socket);
    // One message waits for the other side's answer: nothing may hold it back.
    connect(socket, &QTcpSocket::connected, socket, [socket] { socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    // On the next turn, once the link's reports are listened to: a refusal may come at once.
    QMetaObject::invokeMethod(
        socket, [socket, host = hostAndPort->first, port = hostAndPort->second] { socket->connectToHost(host, port); },
        Qt::QueuedConnection);
    return link;
}

void PeerTransport::connectToPeer(const QString &address)
{
    dropPeer(address);
    const Result<PeerLink *> link = openLink(address);
    if (!link) {
        Q_EMIT connectionWithPeerFailed(address, link.error());
        return;
    }
    addPeer(*link, Stage::Connecting, address, address);
    Q_EMIT peerChangedState(address, PeerStateConnecting);
}

void PeerTransport::linkConnected(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Connecting)
        return;
    it->stage = Stage::AwaitingAnswer;
    write(it->link, PeerFraming::hello(m_displayName));
}

void PeerTransport::linkFailed(const QString &peerId, const QString &message)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end())
        return;
    if (it->stage == Stage::Connecting || it->stage == Stage::AwaitingAnswer)
        connectionFailed(peerId, message);
    else if (it->link && it->link->isClosed())
        linkClosed(peerId);
}

void PeerTransport::readMessages(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || !it->link)
        return;
    it->reader.appendFrom(*it->link->stream());
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
            if (it->link)
                it->link->abort();
            linkClosed(peerId);
            return;
        }
        if (!handleMessage(peerId, message))
            return;
    }
}

bool PeerTransport::handleMessage(const QString &peerId, const QByteArray &message)
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

void PeerTransport::handleHello(const QString &peerId, const QByteArray &message)
{
    Peer &peer = m_peers[peerId];
    const std::optional<QString> name = PeerFraming::checkHello(message);
    if (!name || servesAnotherPeer(peerId)) {
        log(QStringLiteral("%1 denied: %2").arg(peerId, name ? QStringLiteral("another peer is served")
                                                             : QStringLiteral("not a hello of this session")));
        write(peer.link, PeerFraming::answer(false));
        dropPeer(peerId);
        return;
    }
    peer.name = *name;
    peer.stage = Stage::Asking;
    Q_EMIT connectionRequested(peerId);
}

void PeerTransport::handleAnswer(const QString &peerId, const QByteArray &message)
{
    if (message == PeerFraming::answer(true)) {
        m_peers[peerId].stage = Stage::Connected;
        Q_EMIT peerChangedState(peerId, PeerStateConnected);
        return;
    }
    connectionFailed(peerId, message == PeerFraming::answer(false) ? L("KPeerDenied") : L("KPeerBadAnswer"));
}

bool PeerTransport::servesAnotherPeer(const QString &peerId) const
{
    for (auto it = m_peers.cbegin(); it != m_peers.cend(); ++it) {
        if (it.key() != peerId && (it->stage == Stage::Asking || it->stage == Stage::Connected))
            return true;
    }
    return false;
}

void PeerTransport::acceptConnectionFromPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Asking)
        return;
    it->stage = Stage::Connected;
    write(it->link, PeerFraming::answer(true));
    Q_EMIT peerChangedState(peerId, PeerStateConnected);
    // Messages that came right behind the hello.
    readMessages(peerId);
}

void PeerTransport::denyConnectionFromPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Asking)
        return;
    write(it->link, PeerFraming::answer(false));
    dropPeer(peerId);
}

bool PeerTransport::sendData(const QByteArray &message, const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->stage != Stage::Connected || !it->link)
        return false;
    if (message.isEmpty() || quint32(message.size()) > PeerFraming::kMaxMessage)
        return false;
    write(it->link, message);
    return true;
}

void PeerTransport::write(PeerLink *link, const QByteArray &message)
{
    if (!link)
        return;
    // Length and message leave in one send: written apart, the four length bytes went out as
    // a segment of their own and woke the peer for nothing.
    link->stream()->write(PeerFraming::frame(message));
    link->flush();
}

void PeerTransport::disconnectFromAllPeers()
{
    const QStringList ids = m_peers.keys();
    for (const QString &id : ids) {
        const bool wasConnected = m_peers.value(id).stage == Stage::Connected;
        dropPeer(id);
        if (wasConnected)
            Q_EMIT peerChangedState(id, PeerStateDisconnected);
    }
}

QString PeerTransport::displayNameForPeer(const QString &peerId) const
{
    return m_peers.value(peerId).name;
}

void PeerTransport::linkClosed(const QString &peerId)
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

void PeerTransport::connectionFailed(const QString &peerId, const QString &message)
{
    if (!m_peers.contains(peerId))
        return;
    dropPeer(peerId);
    Q_EMIT connectionWithPeerFailed(peerId, message);
}

void PeerTransport::handshakeExpired(const QString &peerId, const PeerLink *link)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end() || it->link != link)
        return;
    switch (it->stage) {
    case Stage::Hello:
        log(QStringLiteral("%1: no hello in time").arg(peerId));
        dropPeer(peerId);
        break;
    case Stage::Connecting:
    case Stage::AwaitingAnswer:
        connectionFailed(peerId, L("KPeerNoAnswer"));
        break;
    case Stage::Asking:
    case Stage::Connected:
        break;
    }
}

void PeerTransport::dropPeer(const QString &peerId)
{
    auto it = m_peers.find(peerId);
    if (it == m_peers.end())
        return;
    QPointer<PeerLink> link = it->link;
    m_peers.erase(it);
    if (link) {
        link->stream()->disconnect(this);
        // Whatever was written last (an answer, a verdict) still goes out before the close.
        link->closeGracefully();
    }
}
